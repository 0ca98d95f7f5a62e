#include "engine/text_file.h"

#include <gtest/gtest.h>

#include "engine/timestamp.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

TEST(TextMode, TranslatesOnlyLineEnds) {
  struct Case { const char* raw; const char* text; };
  const Case cases[] = {
      {"a\r\nb", "a\nb"},   {"a\rb", "a\rb"},       {"a\r\r\nb", "a\r\nb"}, {"\r\n\r\n", "\n\n"},
      {"x\x1ay", "x\x1ay"}, {"end\r", "end\r"},     {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    EXPECT_EQ(c.text, fromTextMode(c.raw));
  }
  EXPECT_EQ("a\r\nb\r\n", toTextMode("a\nb\n"));
  // What was read writes back to the same bytes.
  for (const Case& c : cases) EXPECT_EQ(c.raw, toTextMode(fromTextMode(c.raw)));
}

// The translations step 16 bytes at a time: line ends on either side of every
// step's edge, at the ends and in runs, against a byte-by-byte reading.
TEST(TextMode, AgreesWithByteByByteTranslationWhereverLineEndsFall) {
  auto readByBytes = [](const std::string& raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) text += raw[i];
    }
    return text;
  };
  auto writeByBytes = [](const std::string& text) {
    std::string raw;
    for (char c : text) raw += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return raw;
  };
  std::uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 2000; ++round) {
    std::string raw(next() % 70, 'x');
    for (char& c : raw) {
      const unsigned pick = next() % 8;
      c = pick == 0 ? '\r' : pick == 1 ? '\n' : static_cast<char>('a' + pick);
    }
    SCOPED_TRACE(::testing::PrintToString(raw));
    EXPECT_EQ(readByBytes(raw), fromTextMode(raw));
    EXPECT_EQ(writeByBytes(raw), toTextMode(raw));
  }
}

TEST(TextFile, ReadsAndWritesInTextMode) {
  testing_support::TempDir dir;
  const std::string path = dir.file("f.txt");
  testing_support::writeBytes(path, "ab\r\ncd");
  std::string text;
  std::uint64_t rawSize = 0;
  ASSERT_TRUE(readTextFile(platform::systemFileIo(), path, 6, text, rawSize));
  EXPECT_EQ("ab\ncd", text);
  EXPECT_EQ(6u, rawSize);
  EXPECT_FALSE(readTextFile(platform::systemFileIo(), path, 5, text, rawSize));

  platform::ReplacementFile out(platform::systemFileIo(), dir.file("o.txt"));
  // Slices of a megabyte each: a line end may fall on either side of a cut.
  const std::string big = std::string((1 << 20) - 1, 'x') + "\n\ny";
  EXPECT_TRUE(writeText(out, "a\nb\nc"));
  EXPECT_TRUE(writeText(out, big));
  ASSERT_TRUE(out.commit());
  EXPECT_EQ("a\r\nb\r\nc" + toTextMode(big), testing_support::readBytes(dir.file("o.txt")));
}

// The writer's block is sized by its first text (4 KiB at least): lines that
// end just before, on and just after the block's end, and texts handed on in
// pieces cut anywhere, reach the file as one translation of the whole.
TEST(TextFile, WriterGivesTheSameBytesHoweverTheTextIsCut) {
  std::string text;
  for (std::size_t n : {4094u, 4095u, 4096u, 4097u, 0u, 1u, 8190u, 70000u}) text += std::string(n, 'x') + "\n";
  text += "tail without a line end";
  for (std::size_t piece : {1u, 7u, 4096u, 5000u, 1000000u}) {
    SCOPED_TRACE(piece);
    testing_support::TempDir dir;
    platform::ReplacementFile out(platform::systemFileIo(), dir.file("o.txt"));
    TextModeWriter writer(out);
    writer.write("");
    for (std::size_t at = 0; at < text.size(); at += piece) writer.write(std::string_view(text).substr(at, piece));
    ASSERT_TRUE(writer.flush());
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(toTextMode(text), testing_support::readBytes(dir.file("o.txt")));
  }
}

TEST(Timestamp, CtimeForm) {
  char buffer[26];
  std::tm tm{};
  tm.tm_year = 124;
  tm.tm_mon = 2;
  tm.tm_mday = 5;
  tm.tm_hour = 14;
  tm.tm_min = 30;
  tm.tm_sec = 15;
  tm.tm_isdst = -1;
  formatTimestamp(buffer, std::mktime(&tm));
  EXPECT_STREQ("Tue Mar  5 14:30:15 2024", buffer);
  formatTimestamp(nullptr, 0);  // does nothing
  formatTimestamp(buffer);
  EXPECT_EQ(24u, std::string(buffer).size());
  formatTimestamp(buffer, 1700000000, true);
  EXPECT_STREQ("Tue Nov 14 22:13:20 2023", buffer);
  formatTimestamp(buffer, 0, true);
  EXPECT_STREQ("Thu Jan  1 00:00:00 1970", buffer);
}

TEST(Timestamp, SourceDateEpochIsANumberOfSeconds) {
  EXPECT_EQ(std::optional<std::time_t>(1700000000), parseSourceDateEpoch("1700000000"));
  EXPECT_EQ(std::optional<std::time_t>(0), parseSourceDateEpoch("0"));
  for (const char* bad : {"", " 1", "1 ", "-1", "1e9", "0x10", "12a", "99999999999999999999999"})
    EXPECT_FALSE(parseSourceDateEpoch(bad).has_value()) << bad;
  EXPECT_FALSE(parseSourceDateEpoch(nullptr).has_value());
}

}  // namespace
}  // namespace engine
