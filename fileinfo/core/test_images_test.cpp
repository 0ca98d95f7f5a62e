// The test images (small DLLs and an EXE with known version resources) read
// through this build's version service: our reader natively, the version
// library on Windows. One table of answers holds for both. Under Windows our
// reader is also compared with the version library, path by path.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fileinfo/core/native_version_service.h"
#include "fileinfo/core/version_service.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fileinfo {
namespace {

struct Expected {
  const char* image;
  Lookup fileVersionResult;
  const char* fileVersion;
  Lookup companyNameResult;
  const char* companyName;
};

const Expected kExpected[] = {
    // strings under 040904E4, copied exactly (trailing blanks included)
    {"e4.dll", Lookup::Found, "1.2.3.4 (test build)  ", Lookup::Found, "Testmakers & Sons, Ltd."},
    // only a 040904B0 block, as the system's own deliverables carry it
    {"b0only.exe", Lookup::NoValue, "", Lookup::NoValue, ""},
    // both blocks, "040904e4" in lower case and without CompanyName
    {"mixed.dll", Lookup::Found, "9.0.0.1", Lookup::NoValue, ""},
    {"noversion.dll", Lookup::NoVersionInfo, "", Lookup::NoVersionInfo, ""},
    {"missing.dll", Lookup::NoVersionInfo, "", Lookup::NoVersionInfo, ""},
};

void checkImages(VersionService& service, const std::string& folder) {
  for (const Expected& e : kExpected) {
    const std::string file = folder + e.image;
    SCOPED_TRACE(file);
    std::string value;
    EXPECT_EQ(e.fileVersionResult, lookupFileString(service, file.c_str(), kFileVersionPath, &value));
    EXPECT_EQ(e.fileVersion, value);
    value.clear();
    EXPECT_EQ(e.companyNameResult, lookupFileString(service, file.c_str(), kCompanyNamePath, &value));
    EXPECT_EQ(e.companyName, value);
  }
}

TEST(TestImages, CheckedInImagesThroughThisBuildsService) {
  checkImages(platformVersionService(), "testdata/");
}

TEST(TestImages, OurReaderOnCheckedInImages) {
  NativeVersionService reader;
  checkImages(reader, "testdata/");
  std::string value;
  ASSERT_EQ(Lookup::Found, lookupFileString(reader, "testdata/mixed.dll",
                                            "\\StringFileInfo\\040904e4\\LegalCopyright", &value));
  EXPECT_EQ("\xA9 Caf\xE9 M\xFCller", value);  // stored as UTF-16, read as code page 1252
}

#ifdef _WIN32

TEST(TestImages, FreshlyBuiltImagesThroughBothServices) {
  NativeVersionService reader;
  checkImages(platformVersionService(), "built/");
  checkImages(reader, "built/");
}

std::string systemFile(const char* name) {
  char dir[MAX_PATH] = {};
  GetSystemDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\" + name;
}

// What a service answers at one path: nothing, or the bytes it points at
// (up to the terminator for text, `length` bytes for binary values).
std::optional<std::string> answer(VersionService& service, const std::string& file,
                                  const char* path, bool binary) {
  const std::uint32_t size = service.infoSize(file.c_str());
  if (!size) return std::nullopt;
  std::vector<char> block(size);
  if (!service.readInfo(file.c_str(), size, block.data())) return std::nullopt;
  const char* value = nullptr;
  std::uint32_t length = 0;
  if (!service.queryValue(block.data(), size, path, &value, &length)) return std::nullopt;
  return binary ? std::string(value, length) : std::string(value);
}

TEST(TestImages, OurReaderAnswersLikeTheVersionLibrary) {
  struct Path { const char* path; bool binary; };
  const Path paths[] = {
      {"\\StringFileInfo\\040904E4\\FileVersion", false},
      {"\\StringFileInfo\\040904E4\\CompanyName", false},
      {"\\StringFileInfo\\040904B0\\FileVersion", false},
      {"\\StringFileInfo\\040904B0\\CompanyName", false},
      {"\\StringFileInfo\\040904b0\\companyname", false},
      {"StringFileInfo\\040904E4\\FileVersion", false},
      {"\\\\StringFileInfo\\\\040904E4\\FileVersion\\", false},
      {"\\StringFileInfo\\040904E4\\Comments", false},
      {"\\StringFileInfo\\040904E4\\LegalCopyright", false},
      {"\\StringFileInfo\\040904E4\\FileVer", false},
      {"\\StringFileInfo\\040904E4\\NoSuchKey", false},
      {"\\VarFileInfo\\Translation", true},
      {"\\", true},
  };
  std::vector<std::string> files;
  for (const Expected& e : kExpected) {
    files.push_back(std::string("testdata/") + e.image);
    files.push_back(std::string("built/") + e.image);
  }
  files.push_back("built/languages.dll");
  files.push_back("built/otherlanguages.dll");
  files.push_back("TAGSMITH.DLL");
  for (const char* name : {"kernel32.dll", "user32.dll", "version.dll", "shell32.dll", "notepad.exe"})
    files.push_back(systemFile(name));

  NativeVersionService reader;
  int answered = 0;
  for (const std::string& file : files) {
    for (const Path& p : paths) {
      SCOPED_TRACE(file + " " + p.path);
      const std::optional<std::string> theirs = answer(platformVersionService(), file, p.path, p.binary);
      EXPECT_EQ(theirs, answer(reader, file, p.path, p.binary));
      answered += theirs.has_value();
    }
  }
  EXPECT_GT(answered, 40);  // the comparison covered real answers, not only misses
}

#endif

}  // namespace
}  // namespace fileinfo
