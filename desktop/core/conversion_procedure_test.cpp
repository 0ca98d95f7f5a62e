#include "desktop/core/conversion_procedure.h"

#include <deque>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace desktop {
namespace {

struct Shown {
  std::string text;
  std::string caption;
  unsigned style;
};

struct EngineCall {
  std::string source;
  std::string dest;
  std::uint32_t useOdsFiles;
};

// Services whose answers a test scripts and whose use it inspects.
class ScriptedServices : public ConversionServices {
 public:
  std::set<std::string> existing;
  std::deque<int> answers;  // buttons pressed, in order; kIdOk once they run out
  unsigned checkBox = 0;
  int engineResult = 1;
  bool engineRecordsChanges = false;

  std::vector<std::string> lookups;
  std::vector<Shown> shown;
  std::vector<EngineCall> engineCalls;

  bool findPath(const std::string& path) override {
    lookups.push_back(path);
    return existing.count(path) != 0;
  }
  int showMessage(const std::string& text, const std::string& caption, unsigned style) override {
    shown.push_back({text, caption, style});
    if (answers.empty()) return mb::kIdOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  unsigned odsCheckBoxState() override { return checkBox; }
  int convertFile(engine::ConversionContext& context, const std::string& source, const std::string& dest) override {
    engineCalls.push_back({source, dest, context.useOdsFiles});
    context.appendix.reset();
    if (engineResult && engineRecordsChanges) context.appendix = "\n<!-- ** ... ** -->";
    return engineResult;
  }
};

constexpr const char* kSource = "C:\\web\\page.htm";
constexpr const char* kDest = "C:\\out\\page.htm";
constexpr const char* kSuccess = "Conversion completed successfully.";
constexpr const char* kSuccessWithChanges =
    "Conversion completed successfully.\nSome changes have been made to HTML source.\nSee comments for details.";
constexpr const char* kOverwrite =
    "Destination file \"C:\\out\\page.htm\" already exists.\nAll contents will be erased.  Are you\n"
    "sure you wish to overwrite?";

TEST(PerformConversion, MissingSourceStopsWithFileError) {
  ScriptedServices services;
  services.existing = {kDest};
  engine::ConversionContext context;
  EXPECT_EQ(ConversionOutcome::SourceMissing, performConversion(context, kSource, kDest, services));
  ASSERT_EQ(1u, services.shown.size());
  EXPECT_EQ("The source path \"C:\\web\\page.htm\" does not exist.", services.shown[0].text);
  EXPECT_EQ("File error!", services.shown[0].caption);
  EXPECT_EQ(0x10u, services.shown[0].style);
  EXPECT_EQ(std::vector<std::string>{kSource}, services.lookups);  // the destination is not even looked at
  EXPECT_TRUE(services.engineCalls.empty());
}

// Each row: does the destination exist, the answer to the question, what the
// engine does, and what the user then sees.
TEST(PerformConversion, StepsFromLookupToResultMessage) {
  struct Case {
    const char* name;
    bool destExists;
    int answer;
    int engineResult;
    bool changes;
    ConversionOutcome outcome;
    bool engineCalled;
    const char* finalText;  // null: no box after the question
    const char* finalCaption;
    unsigned finalStyle;
  };
  const Case cases[] = {
      {"new destination, nothing changed", false, 0, 1, false, ConversionOutcome::Converted, true, kSuccess,
       "Conversion Success", 0},
      {"new destination, changes recorded", false, 0, 1, true, ConversionOutcome::ConvertedWithChanges, true,
       kSuccessWithChanges, "Conversion Success", 0},
      {"engine fails", false, 0, 0, false, ConversionOutcome::ConversionFailed, true, "Could not perform conversion.",
       "Conversion error!", 0x10},
      {"overwrite answered Yes", true, mb::kIdYes, 1, false, ConversionOutcome::Converted, true, kSuccess,
       "Conversion Success", 0},
      {"overwrite answered Yes, engine fails", true, mb::kIdYes, 0, false, ConversionOutcome::ConversionFailed, true,
       "Could not perform conversion.", "Conversion error!", 0x10},
      {"overwrite answered No", true, mb::kIdNo, 1, false, ConversionOutcome::OverwriteDeclined, false, nullptr, "", 0},
      {"question box could not be shown", true, -1, 1, false, ConversionOutcome::OverwriteDeclined, false, nullptr, "",
       0},
      {"question closed with OK", true, mb::kIdOk, 1, false, ConversionOutcome::OverwriteDeclined, false, nullptr, "",
       0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    ScriptedServices services;
    services.existing = {kSource};
    if (t.destExists) {
      services.existing.insert(kDest);
      services.answers = {t.answer};
    }
    services.engineResult = t.engineResult;
    services.engineRecordsChanges = t.changes;
    engine::ConversionContext context;

    EXPECT_EQ(t.outcome, performConversion(context, kSource, kDest, services));

    EXPECT_EQ((std::vector<std::string>{kSource, kDest}), services.lookups);
    std::size_t next = 0;
    if (t.destExists) {
      ASSERT_LE(1u, services.shown.size());
      EXPECT_EQ(kOverwrite, services.shown[0].text);
      EXPECT_EQ("File exists!", services.shown[0].caption);
      EXPECT_EQ(0x134u, services.shown[0].style);
      next = 1;
    }
    if (t.engineCalled) {
      ASSERT_EQ(1u, services.engineCalls.size());
      EXPECT_EQ(kSource, services.engineCalls[0].source);
      EXPECT_EQ(kDest, services.engineCalls[0].dest);
    } else {
      EXPECT_TRUE(services.engineCalls.empty());
    }
    if (t.finalText) {
      ASSERT_EQ(next + 1, services.shown.size());
      EXPECT_EQ(t.finalText, services.shown[next].text);
      EXPECT_EQ(t.finalCaption, services.shown[next].caption);
      EXPECT_EQ(t.finalStyle, services.shown[next].style);
    } else {
      EXPECT_EQ(next, services.shown.size());
    }
  }
}

TEST(PerformConversion, CheckBoxLowTwoBitsReachUseOdsFiles) {
  struct Case {
    unsigned state;
    std::uint32_t stored;
  };
  const Case cases[] = {
      {0x0, 0},  // unchecked
      {0x1, 1},  // checked
      {0x2, 2},  // indeterminate: kept as read, and the engine writes no property files for it
      {0x8, 0},  // focused, unchecked
      {0x4 | 0x8 | 0x1, 1},  // pushed and focused, checked
      {0xFFFFFFFC, 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.state);
    ScriptedServices services;
    services.existing = {kSource};
    services.checkBox = t.state;
    engine::ConversionContext context;
    context.useOdsFiles = 7;  // whatever a previous run left
    performConversion(context, kSource, kDest, services);
    ASSERT_EQ(1u, services.engineCalls.size());
    EXPECT_EQ(t.stored, services.engineCalls[0].useOdsFiles);
  }
}

TEST(PerformConversion, PathsAreInsertedVerbatimWhateverTheirLength) {
  // A '%' is no format directive, and a path far beyond 260 bytes is not cut.
  const std::string source = "C:\\100%s\\" + std::string(400, 'x') + ".htm";
  const std::string dest = "C:\\%d%n\\out.htm";
  ScriptedServices services;
  services.existing = {dest};
  engine::ConversionContext context;
  performConversion(context, source, dest, services);
  ASSERT_EQ(1u, services.shown.size());
  EXPECT_EQ("The source path \"" + source + "\" does not exist.", services.shown[0].text);

  services.existing = {source, dest};
  services.shown.clear();
  services.answers = {mb::kIdNo};
  performConversion(context, source, dest, services);
  ASSERT_EQ(1u, services.shown.size());
  EXPECT_EQ(0u, services.shown[0].text.find("Destination file \"C:\\%d%n\\out.htm\" already exists.\n"));
}

TEST(PerformConversion, SuccessTextFollowsTheLatestRun) {
  // One context serves every press of Convert; the message reflects the run just made.
  ScriptedServices services;
  services.existing = {kSource};
  engine::ConversionContext context;
  services.engineRecordsChanges = true;
  EXPECT_EQ(ConversionOutcome::ConvertedWithChanges, performConversion(context, kSource, kDest, services));
  services.engineRecordsChanges = false;
  EXPECT_EQ(ConversionOutcome::Converted, performConversion(context, kSource, kDest, services));
  ASSERT_EQ(2u, services.shown.size());
  EXPECT_EQ(kSuccessWithChanges, services.shown[0].text);
  EXPECT_EQ(kSuccess, services.shown[1].text);
}

}  // namespace
}  // namespace desktop
