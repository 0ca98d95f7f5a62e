// TAGSMITH.DLL as outside callers meet it: loaded by name, its two functions
// found by name and by ordinal, called with the WINAPI convention.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using QueryFunction = int(WINAPI*)(const char* file, char* destination);

QueryFunction find(HMODULE module, const char* name) {
  return reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class TagsmithDll : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA("TAGSMITH.DLL");
    ASSERT_NE(nullptr, module_) << "error " << GetLastError();
    version_ = find(module_, "GetTagsmithString");
    company_ = find(module_, "GetCompanyNameString");
    ASSERT_NE(nullptr, version_);
    ASSERT_NE(nullptr, company_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  // The string a function writes into a buffer full of '#'; the byte after
  // the terminator must still be '#'.
  static std::string call(QueryFunction f, const char* file) {
    char buffer[512];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(1, f(file, buffer));
    const std::size_t n = strnlen(buffer, sizeof buffer);
    EXPECT_LT(n + 1, sizeof buffer);
    EXPECT_EQ('#', buffer[n + 1]) << "wrote past the terminator";
    return std::string(buffer, n);
  }

  HMODULE module_ = nullptr;
  QueryFunction version_ = nullptr;
  QueryFunction company_ = nullptr;
};

TEST_F(TagsmithDll, ExportsByNameAtOrdinalsTwoAndThree) {
  EXPECT_EQ(version_, find(module_, MAKEINTRESOURCEA(2)));
  EXPECT_EQ(company_, find(module_, MAKEINTRESOURCEA(3)));
  EXPECT_EQ(nullptr, GetProcAddress(module_, MAKEINTRESOURCEA(1)));
  EXPECT_EQ(nullptr, GetProcAddress(module_, MAKEINTRESOURCEA(4)));
  EXPECT_EQ(nullptr, GetProcAddress(module_, "GetTagsmithString@8"));  // undecorated only
}

TEST_F(TagsmithDll, ExportDirectoryNamesTheLibrary) {
  const auto* base = reinterpret_cast<const unsigned char*>(module_);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(0u, entry.VirtualAddress);
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  EXPECT_STREQ("tagsmith.dll", reinterpret_cast<const char*>(base + exports->Name));
  EXPECT_EQ(2u, exports->Base);
  EXPECT_EQ(2u, exports->NumberOfFunctions);
  EXPECT_EQ(2u, exports->NumberOfNames);
}

// Calls `f` by hand and returns how far the stack pointer moved: 0 when the
// callee removed its two arguments (WINAPI), 8 when it left them (cdecl).
unsigned stackLeftBy(QueryFunction f, const char* file, char* destination) {
  unsigned before, after, scratch1, scratch2;  // eax, ecx, edx do not survive the call
  asm volatile(
      "movl %%esp, %0\n\t"
      "pushl %5\n\t"
      "pushl %4\n\t"
      "call *%6\n\t"
      "movl %%esp, %1\n\t"
      "movl %0, %%esp"
      : "=&r"(before), "=a"(after), "=c"(scratch1), "=d"(scratch2)
      : "r"(file), "r"(destination), "r"(f)
      : "memory", "cc");
  return before - after;
}

TEST_F(TagsmithDll, FunctionsAreWinapi) {
  char buffer[256];
  EXPECT_EQ(0u, stackLeftBy(version_, "built\\e4.dll", buffer));
  EXPECT_STREQ("1.2.3.4 (test build)  ", buffer);
  EXPECT_EQ(0u, stackLeftBy(company_, "built\\e4.dll", buffer));
  EXPECT_STREQ("Testmakers & Sons, Ltd.", buffer);
}

TEST_F(TagsmithDll, AnswersForEachKindOfFile) {
  struct Case { const char* file; const char* version; const char* company; };
  const Case cases[] = {
      // strings under 040904E4: copied as stored
      {"built\\e4.dll", "1.2.3.4 (test build)  ", "Testmakers & Sons, Ltd."},
      {"testdata\\e4.dll", "1.2.3.4 (test build)  ", "Testmakers & Sons, Ltd."},
      // "040904e4" matches; its block has no CompanyName
      {"built\\mixed.dll", "9.0.0.1", ""},
      // only 040904B0 strings: no value, an empty string is written
      {"built\\b0only.exe", "", ""},
      {"TAGSMITH.DLL", "", ""},
      // no version resource, no file, a folder
      {"built\\noversion.dll", "", ""},
      {"built\\no such file.dll", "", ""},
      {"built", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(c.version, call(version_, c.file));
    EXPECT_EQ(c.company, call(company_, c.file));
  }
}

TEST_F(TagsmithDll, OwnVersionResourceIsUnder040904B0) {
  // Read with the version library directly, so the empty answers above mean
  // "another code page", not "no version resource".
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA("TAGSMITH.DLL", &handle);
  ASSERT_NE(0u, size);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA("TAGSMITH.DLL", 0, size, &block[0]));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
  EXPECT_STREQ("1.0.0.1", static_cast<const char*>(value));
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\StringFileInfo\\040904B0\\CompanyName", &value, &length));
  EXPECT_STREQ("Tarnwick", static_cast<const char*>(value));
}

TEST_F(TagsmithDll, NullArguments) {
  EXPECT_EQ(1, version_("built\\e4.dll", nullptr));
  EXPECT_EQ(1, company_("built\\e4.dll", nullptr));
  EXPECT_EQ(1, version_("built\\noversion.dll", nullptr));
  EXPECT_EQ(1, company_("built\\b0only.exe", nullptr));
  EXPECT_EQ("", call(version_, nullptr));  // no file name: nothing to read
}

}  // namespace
