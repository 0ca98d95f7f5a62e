#include "desktop/core/conversion_procedure.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fakes/fake_file_system.h"
#include "platform/fakes/fake_user_interface.h"

namespace desktop {
namespace {

struct EngineCall {
  std::string source;
  std::string dest;
  std::uint32_t useOdsFiles;
};

// The file system remembers which paths Convert looked up.
class LookupRecordingFiles : public platform::FakeFileSystem {
 public:
  bool findPath(const std::string& path) override {
    lookups.push_back(path);
    return FakeFileSystem::findPath(path);
  }
  std::vector<std::string> lookups;
};

// Ports whose answers a test scripts and whose use it inspects; the engine
// is a stand-in that records its calls.
struct ScriptedPorts {
  ScriptedPorts() {
    ports.convert = [this](engine::ConversionContext& context, const char* source, const char* dest) {
      engineCalls.push_back({source, dest, context.useOdsFiles});
      context.appendix.reset();
      if (engineResult && engineRecordsChanges) context.appendix = "\n<!-- ** ... ** -->";
      return engineResult;
    };
  }
  // Convert with the check box in state.
  ConversionOutcome convert(engine::ConversionContext& context, const std::string& source, const std::string& dest,
                            unsigned checkBox = 0) {
    return performConversion(context, source, dest, checkBox, ports);
  }

  LookupRecordingFiles files;
  platform::FakeMessageBoxes boxes;
  ConversionPorts ports{files, boxes};
  int engineResult = 1;
  bool engineRecordsChanges = false;
  std::vector<EngineCall> engineCalls;
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
  ScriptedPorts p;
  p.files.addFile(kDest, "");
  engine::ConversionContext context;
  EXPECT_EQ(ConversionOutcome::SourceMissing, p.convert(context, kSource, kDest));
  ASSERT_EQ(1u, p.boxes.shown().size());
  EXPECT_EQ("The source path \"C:\\web\\page.htm\" does not exist.", p.boxes.shown()[0].text);
  EXPECT_EQ("File error!", p.boxes.shown()[0].caption);
  EXPECT_EQ(0x10u, p.boxes.shown()[0].style);
  EXPECT_EQ(std::vector<std::string>{kSource}, p.files.lookups);  // the destination is not even looked at
  EXPECT_TRUE(p.engineCalls.empty());
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
    const char* finalText;  // null: no box after the question
    const char* finalCaption;
    unsigned finalStyle;
  };
  const Case cases[] = {
      {"new destination, nothing changed", false, 0, 1, false, ConversionOutcome::Converted, kSuccess,
       "Conversion Success", 0},
      {"new destination, changes recorded", false, 0, 1, true, ConversionOutcome::ConvertedWithChanges,
       kSuccessWithChanges, "Conversion Success", 0},
      {"engine fails", false, 0, 0, false, ConversionOutcome::ConversionFailed, "Could not perform conversion.",
       "Conversion error!", 0x10},
      {"overwrite answered Yes", true, mb::kIdYes, 1, false, ConversionOutcome::Converted, kSuccess,
       "Conversion Success", 0},
      {"overwrite answered Yes, engine fails", true, mb::kIdYes, 0, false, ConversionOutcome::ConversionFailed,
       "Could not perform conversion.", "Conversion error!", 0x10},
      {"overwrite answered No", true, mb::kIdNo, 1, false, ConversionOutcome::OverwriteDeclined, nullptr, "", 0},
      {"question box could not be shown", true, -1, 1, false, ConversionOutcome::OverwriteDeclined, nullptr, "", 0},
      {"question closed with OK", true, mb::kIdOk, 1, false, ConversionOutcome::OverwriteDeclined, nullptr, "", 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    ScriptedPorts p;
    p.files.addFile(kSource, "");
    if (t.destExists) {
      p.files.addFile(kDest, "");
      p.boxes.answer(t.answer);
    }
    p.engineResult = t.engineResult;
    p.engineRecordsChanges = t.changes;
    engine::ConversionContext context;

    EXPECT_EQ(t.outcome, p.convert(context, kSource, kDest));

    EXPECT_EQ((std::vector<std::string>{kSource, kDest}), p.files.lookups);
    const auto& shown = p.boxes.shown();
    std::size_t next = 0;
    if (t.destExists) {
      ASSERT_LE(1u, shown.size());
      EXPECT_EQ(kOverwrite, shown[0].text);
      EXPECT_EQ("File exists!", shown[0].caption);
      EXPECT_EQ(0x134u, shown[0].style);
      next = 1;
    }
    if (t.outcome == ConversionOutcome::OverwriteDeclined) {
      EXPECT_TRUE(p.engineCalls.empty());
    } else {
      ASSERT_EQ(1u, p.engineCalls.size());
      EXPECT_EQ(kSource, p.engineCalls[0].source);
      EXPECT_EQ(kDest, p.engineCalls[0].dest);
    }
    if (t.finalText) {
      ASSERT_EQ(next + 1, shown.size());
      EXPECT_EQ(t.finalText, shown[next].text);
      EXPECT_EQ(t.finalCaption, shown[next].caption);
      EXPECT_EQ(t.finalStyle, shown[next].style);
    } else {
      EXPECT_EQ(next, shown.size());
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
    ScriptedPorts p;
    p.files.addFile(kSource, "");
    engine::ConversionContext context;
    context.useOdsFiles = 7;  // whatever a previous run left
    p.convert(context, kSource, kDest, t.state);
    ASSERT_EQ(1u, p.engineCalls.size());
    EXPECT_EQ(t.stored, p.engineCalls[0].useOdsFiles);
  }
}

TEST(PerformConversion, PathsAreInsertedVerbatimWhateverTheirLength) {
  // A '%' is no format directive, and a path far beyond 260 bytes is not cut.
  const std::string source = "C:\\100%s\\" + std::string(400, 'x') + ".htm";
  const std::string dest = "C:\\%d%n\\out.htm";
  ScriptedPorts p;
  p.files.addFile(dest, "");
  engine::ConversionContext context;
  p.convert(context, source, dest);
  ASSERT_EQ(1u, p.boxes.shown().size());
  EXPECT_EQ("The source path \"" + source + "\" does not exist.", p.boxes.shown()[0].text);

  p.files.addFile(source, "");
  p.boxes.answer(mb::kIdNo);
  p.convert(context, source, dest);
  ASSERT_EQ(2u, p.boxes.shown().size());
  EXPECT_EQ(0u, p.boxes.shown()[1].text.find("Destination file \"C:\\%d%n\\out.htm\" already exists.\n"));
}

TEST(PerformConversion, SuccessTextFollowsTheLatestRun) {
  // One context serves every press of Convert; the message reflects the run just made.
  ScriptedPorts p;
  p.files.addFile(kSource, "");
  engine::ConversionContext context;
  p.engineRecordsChanges = true;
  EXPECT_EQ(ConversionOutcome::ConvertedWithChanges, p.convert(context, kSource, kDest));
  p.engineRecordsChanges = false;
  EXPECT_EQ(ConversionOutcome::Converted, p.convert(context, kSource, kDest));
  ASSERT_EQ(2u, p.boxes.shown().size());
  EXPECT_EQ(kSuccessWithChanges, p.boxes.shown()[0].text);
  EXPECT_EQ(kSuccess, p.boxes.shown()[1].text);
}

}  // namespace
}  // namespace desktop
