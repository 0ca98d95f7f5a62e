#include "fileinfo/core/pe_resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "fileinfo/core/testing/version_builder.h"
#include "fileinfo/core/version_block.h"

namespace fileinfo {
namespace {

using namespace testing_support;

const Bytes kResource = node("VS_VERSION_INFO", 0, Bytes(52, 1), 52,
                             {node("StringFileInfo", 1, {}, 0,
                                   {node("040904E4", 1, {}, 0, {textNode("CompanyName", "Acme")})})});

Bytes versionOf(const Bytes& image) {
  const Bytes exact(image);  // exact size, so over-reads are caught
  return findVersionResource(MemorySource(exact.data(), exact.size()));
}

TEST(FindVersionResource, ThirtyTwoAndSixtyFourBitImages) {
  EXPECT_EQ(kResource, versionOf(peImage(kResource, false)));
  EXPECT_EQ(kResource, versionOf(peImage(kResource, true)));
  EXPECT_EQ(kResource, versionOf(peImage(kResource, false, 0x0407)));  // the only language there is
}

TEST(FindVersionResource, CapsTheResourceAt64KiB) {
  Bytes big = kResource;
  big.resize(0x12000, 0);
  EXPECT_EQ(kMaxVersionResource, versionOf(peImage(big)).size());
}

TEST(FindVersionResource, RejectsBrokenStructures) {
  struct Edit { std::size_t at; std::uint32_t value; bool dword; };
  struct Case { const char* what; std::vector<Edit> edits; };
  const std::uint32_t opt = kPeAt + 24;
  const std::uint32_t section = kSectionTableAt32;
  const std::uint32_t rsrc = kRsrcFileAt;
  const Case cases[] = {
      {"not MZ", {{0, 'X', false}}},
      {"PE header past the end", {{0x3C, 0x7FFFFFF0, true}}},
      {"PE header at the far end of 32 bits", {{0x3C, 0xFFFFFFFF, true}}},
      {"no PE signature", {{kPeAt, 'N', false}}},
      {"too many sections", {{kPeAt + 6, 0xFFFF, false}}},
      {"no sections", {{kPeAt + 6, 0, false}}},
      {"optional header too small", {{kPeAt + 20, 64, false}}},
      {"unknown optional magic", {{opt, 0x107, false}}},
      {"no resource directory listed", {{opt + 92, 2, true}}},
      {"resource directory outside every section", {{opt + 96 + 16, 0x9000, true}}},
      {"section data past the end of the file", {{section + 20, 0x7FFFF000, true}}},
      {"section shorter than the directory", {{section + 8, 0x10, true}}},
      {"raw size 4 GiB, data past the end of the file", {{section + 8, 0, true}, {section + 16, 0xFFFFFFFF, true}, {rsrc + kDataEntryAt, kRsrcRva + 0x10000, true}}},
      {"root entry count beyond the directory", {{rsrc + 14, 0xFFFF, false}, {rsrc + 16, 17, true}}},
      {"type entry pointing at the root", {{rsrc + 20, 0x80000000u, true}}},
      {"type entry pointing far away", {{rsrc + 20, 0xFFFFFFFFu, true}}},
      {"name entry is data, not a directory", {{rsrc + kNamesDirAt + 20, kDataEntryAt, true}}},
      {"language entry is a directory", {{rsrc + kLanguagesDirAt + 20, 0x80000000u | kDataEntryAt, true}}},
      {"language entry past the directory", {{rsrc + kLanguagesDirAt + 20, 0x7FFFFFF0, true}}},
      {"data size 4 GiB", {{rsrc + kDataEntryAt + 4, 0xFFFFFFFF, true}}},
      {"data size 0", {{rsrc + kDataEntryAt + 4, 0, true}}},
      {"data outside the section", {{rsrc + kDataEntryAt, 0x5000, true}}},
      {"data at the end of 32 bits", {{rsrc + kDataEntryAt, 0xFFFFFFF0, true}}},
      {"version resource has another name", {{rsrc + kNamesDirAt + 16, 2, true}}},
      {"named type entry", {{rsrc + 16, 0x80000010u, true}}},
  };
  ASSERT_EQ(kResource, versionOf(peImage(kResource)));  // the unbroken image is fine
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes image = peImage(kResource);
    for (const Edit& e : c.edits) {
      if (e.dword) setDword(&image, e.at, e.value);
      else setWord(&image, e.at, static_cast<std::uint16_t>(e.value));
    }
    EXPECT_TRUE(versionOf(image).empty());
  }
}

// Everything the library does with a file's bytes, as one call: find the
// resource, then look up the two strings in an exact-size copy of it.
void readEverything(const Bytes& file) {
  const Bytes resource = versionOf(file);
  ASSERT_LE(resource.size(), kMaxVersionResource);
  for (const char* path : {"\\StringFileInfo\\040904E4\\FileVersion",
                           "\\StringFileInfo\\040904E4\\CompanyName", "\\"}) {
    BlockValue v;
    if (findBlockValue(resource.data(), static_cast<std::uint32_t>(resource.size()), path, &v)) {
      ASSERT_LE(v.offset + v.size, resource.size());
      if (v.text) toAnsi(resource.data() + v.offset, v.size);
    }
  }
}

Bytes loadTestImage(const std::string& name) {
  Bytes data;
  if (std::FILE* f = std::fopen(("testdata/" + name).c_str(), "rb")) {
    unsigned char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
  }
  return data;
}

const char* const kTestImages[] = {"e4.dll", "b0only.exe", "mixed.dll", "noversion.dll"};

TEST(FindVersionResource, TruncatedImagesGiveAllOrNothing) {
  for (const char* name : kTestImages) {
    SCOPED_TRACE(name);
    const Bytes file = loadTestImage(name);
    ASSERT_FALSE(file.empty());
    const Bytes whole = versionOf(file);
    for (std::size_t n = 0; n < file.size(); ++n) {
      const Bytes cut = versionOf(Bytes(file.begin(), file.begin() + n));
      if (!cut.empty()) {
        ASSERT_EQ(whole, cut) << "cut at " << n;
      }
      readEverything(Bytes(file.begin(), file.begin() + n));
    }
  }
}

TEST(FindVersionResource, SurvivesRandomDamage) {
  std::mt19937 random(20240517);  // fixed: every run damages the same bytes
  const Bytes synthetic[] = {peImage(kResource), peImage(kResource, true)};
  std::vector<Bytes> files(std::begin(synthetic), std::end(synthetic));
  for (const char* name : kTestImages) files.push_back(loadTestImage(name));
  for (const Bytes& file : files) {
    ASSERT_FALSE(file.empty());
    for (int round = 0; round < 3000; ++round) {
      Bytes damaged = file;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) {
        // Half the damage goes to the headers and directories, where it hurts most.
        const std::size_t span = (random() & 1) ? std::min<std::size_t>(damaged.size(), 0x300) : damaged.size();
        const std::size_t at = random() % span;
        damaged[at] = static_cast<unsigned char>((random() & 1) ? random() : damaged[at] ^ (1u << (random() % 8)));
      }
      readEverything(damaged);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace fileinfo
