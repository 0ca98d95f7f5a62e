#include "fileinfo/core/version_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "fileinfo/core/testing/version_builder.h"

namespace fileinfo {
namespace {

using testing_support::Bytes;
using testing_support::node;
using testing_support::textNode;
using testing_support::utf16;

// A block like the ones resource compilers write: fixed info, two string
// tables, a translation list.
Bytes sampleBlock() {
  const Bytes fixed(52, 0xAB);
  return node("VS_VERSION_INFO", 0, fixed, 52,
              {node("StringFileInfo", 1, {}, 0,
                    {node("040904E4", 1, {}, 0,
                          {textNode("FileVersion", "1.0 beta "), textNode("CompanyName", "Acme"),
                           textNode("Comments", "")}),
                     node("040904B0", 1, {}, 0, {textNode("FileVersion", "2.0")})}),
               node("VarFileInfo", 0, {}, 0,
                    {node("Translation", 0, {9, 4, 0xE4, 4}, 4)})});
}

// Text at `path`, or nothing; the block is an exact-size heap copy so that
// any read past its end is caught by the sanitizer build.
std::optional<std::string> textAt(const Bytes& block, const char* path) {
  std::vector<unsigned char> copy(block);
  BlockValue v;
  if (!findBlockValue(copy.data(), static_cast<std::uint32_t>(copy.size()), path, &v) || !v.text)
    return std::nullopt;
  EXPECT_LE(v.offset + v.size, copy.size());
  return toAnsi(copy.data() + v.offset, v.size);
}

TEST(FindBlockValue, FollowsPathsLikeTheVersionLibrary) {
  struct Case { const char* path; std::optional<std::string> text; };
  const Case cases[] = {
      // the paths of the two exports, and their spelling variants
      {"\\StringFileInfo\\040904E4\\FileVersion", "1.0 beta "},
      {"\\StringFileInfo\\040904E4\\CompanyName", "Acme"},
      {"\\stringfileinfo\\040904e4\\COMPANYNAME", "Acme"},
      {"StringFileInfo\\040904E4\\FileVersion", "1.0 beta "},
      {"\\\\StringFileInfo\\\\040904E4\\FileVersion\\", "1.0 beta "},
      {"\\StringFileInfo\\040904E4\\Comments", ""},
      // another code page is another block
      {"\\StringFileInfo\\040904B0\\FileVersion", "2.0"},
      {"\\StringFileInfo\\040904B0\\CompanyName", std::nullopt},
      {"\\StringFileInfo\\040704E4\\FileVersion", std::nullopt},
      // keys match whole, never by prefix
      {"\\StringFileInfo\\040904E4\\FileVer", std::nullopt},
      {"\\StringFileInfo\\040904E4\\FileVersionX", std::nullopt},
      {"\\StringFileInfo\\040904E4\\FileVersion\\More", std::nullopt},
  };
  const Bytes block = sampleBlock();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.text, textAt(block, c.path));
  }
}

TEST(FindBlockValue, RootAndBinaryValues) {
  const Bytes block = sampleBlock();
  BlockValue v;
  ASSERT_TRUE(findBlockValue(block.data(), static_cast<std::uint32_t>(block.size()), "\\", &v));
  EXPECT_FALSE(v.text);
  EXPECT_EQ(52u, v.size);
  EXPECT_EQ(0xAB, block[v.offset]);
  ASSERT_TRUE(findBlockValue(block.data(), static_cast<std::uint32_t>(block.size()),
                             "\\VarFileInfo\\Translation", &v));
  EXPECT_FALSE(v.text);
  ASSERT_EQ(4u, v.size);
  EXPECT_EQ(0, std::memcmp(&block[v.offset], "\x09\x04\xE4\x04", 4));
}

TEST(FindBlockValue, TruncatedBlocksNeverReadPastTheirEnd) {
  const Bytes block = sampleBlock();
  for (std::size_t n = 0; n < block.size(); ++n) {
    SCOPED_TRACE(n);
    const Bytes cut(block.begin(), block.begin() + n);
    const std::optional<std::string> company = textAt(cut, "\\StringFileInfo\\040904E4\\CompanyName");
    if (company) {
      EXPECT_EQ(0u, std::string("Acme").find(*company));  // at most cut short
    }
    textAt(cut, "\\StringFileInfo\\040904B0\\FileVersion");
    textAt(cut, "\\");
  }
}

TEST(FindBlockValue, MalformedNodes) {
  using testing_support::setWord;
  struct Case { const char* what; Bytes block; };
  Bytes zeroChild = sampleBlock();
  setWord(&zeroChild, testing_support::kFirstChildAt, 0);  // StringFileInfo claims no bytes
  Bytes hugeChild = sampleBlock();
  setWord(&hugeChild, testing_support::kFirstChildAt, 0xFFFF);  // more than its parent holds
  Bytes hugeRoot = sampleBlock();
  setWord(&hugeRoot, 0, 0xFFFF);
  Bytes noTerminator = node("VS_VERSION_INFO", 0, {}, 0, {});
  noTerminator.resize(6 + 2 * 15);  // the key runs to the end without its zero
  setWord(&noTerminator, 0, static_cast<std::uint16_t>(noTerminator.size()));
  const Case cases[] = {{"child of length 0", zeroChild},
                        {"child longer than parent", hugeChild},
                        {"root longer than block", hugeRoot},
                        {"key without terminator", noTerminator},
                        {"empty", {}},
                        {"header only", {6, 0, 0, 0, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // What is found must lie inside the block; reaching the end is the test.
    const std::optional<std::string> v = textAt(c.block, "\\StringFileInfo\\040904E4\\CompanyName");
    if (v) {
      EXPECT_EQ("Acme", *v);
    }
  }
  EXPECT_FALSE(textAt(zeroChild, "\\StringFileInfo\\040904E4\\CompanyName"));
  EXPECT_EQ("Acme", textAt(hugeRoot, "\\StringFileInfo\\040904E4\\CompanyName"));
}

TEST(ToAnsi, WindowsCodePage1252) {
  struct Case { const char* what; Bytes utf16; std::string ansi; };
  const Case cases[] = {
      {"ascii", utf16("Ab 1.0"), "Ab 1.0"},
      {"latin-1 range", {0xE9, 0x00, 0xFC, 0x00, 0xA9, 0x00}, "\xE9\xFC\xA9"},
      {"1252 extras", {0xAC, 0x20, 0x22, 0x21, 0x61, 0x01, 0x81, 0x00}, "\x80\x99\x9A\x81"},
      {"outside the code page", {0x2D, 0x4E, 0x01, 0x04}, "??"},
      {"surrogate pair is one character", {0x3D, 0xD8, 0x00, 0xDE, 'x', 0}, "?x"},
      {"stops at zero", {'a', 0, 0, 0, 'b', 0}, "a"},
      {"odd byte ignored", {'a', 0, 'b'}, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.ansi, toAnsi(c.utf16.data(), static_cast<std::uint32_t>(c.utf16.size())));
  }
}

}  // namespace
}  // namespace fileinfo
