#include "shell_extension/core/conversion_menu.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fakes/fake_file_system.h"
#include "shell_extension/core/testing/batch_harness.h"

namespace morvane {
namespace {

using platform::FakeRegistryStore;
using platform::Hive;
namespace mb = platform::mb;

// One context-menu object over fakes, with a recording batch in place of the
// real conversion.
struct MenuFixture : ::testing::Test {
  platform::FakeFileSystem files;
  FakeRegistryStore registry;
  platform::FakeMessageBoxes boxes;
  platform::FakeCursor cursor;
  platform::FakeStringTable strings;
  platform::FakeFolderPicker picker;
  MenuPorts ports{files, registry, boxes, cursor, strings, picker};
  bool batchResult = true;
  std::vector<BatchState> batches;  // copies of the state each batch saw

  MenuFixture() {
    loadTableStrings(strings);
    registry.createKey(Hive::CurrentUser, "Software");  // always there on a real system
  }

  std::unique_ptr<ConversionMenu> makeMenu() {
    return std::make_unique<ConversionMenu>(ports, [this](BatchState& state, BatchPorts&) {
      batches.push_back(state);
      return batchResult;
    });
  }
  void storeFolder(const std::string& folder) {
    registry.createKey(Hive::CurrentUser, kPersistentDataKey);
    registry.setString(Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, folder);
  }
  std::optional<std::string> storedFolder() const {
    return registry.value(Hive::CurrentUser, kPersistentDataKey, kDestFolderValue);
  }
};

const std::string kNoTarget = TEXT_NO_TARGET;
constexpr unsigned kQuestionStyle = 0x124;

// --- Initialize ------------------------------------------------------------

TEST_F(MenuFixture, InitializeTakesSelectionBackupNameAndStoredFolder) {
  storeFolder("D:\\out");
  auto menu = makeMenu();
  EXPECT_EQ(result::kOk, menu->initialize({"C:\\site\\index.htm", "C:\\site\\img"}));
  EXPECT_EQ("D:\\out", menu->destinationFolder());
  EXPECT_EQ("TWBACKUP", menu->batchState().backupFolderName);
  EXPECT_EQ((std::vector<std::string>{"C:\\site\\index.htm", "C:\\site\\img"}), menu->batchState().selection);
  EXPECT_EQ(0, menu->batchState().noticeAnswer);
  EXPECT_EQ(0u, menu->batchState().context.useOdsFiles);
}

TEST_F(MenuFixture, InitializeWithAnEmptySelectionFails) {
  EXPECT_EQ(result::kFail, makeMenu()->initialize({}));
}

TEST_F(MenuFixture, StoredFolderThatIsEmptyOrMissingCountsAsNotSet) {
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  EXPECT_FALSE(menu->destinationFolder());  // no key at all
  registry.createKey(Hive::CurrentUser, kPersistentDataKey);
  menu->initialize({"C:\\a.htm"});
  EXPECT_FALSE(menu->destinationFolder());  // key without value
  storeFolder("");
  menu->initialize({"C:\\a.htm"});
  EXPECT_FALSE(menu->destinationFolder());
  menu->run(Command::Convert);
  EXPECT_EQ(kNoTarget, boxes.shown().at(0).text);
  EXPECT_TRUE(batches.empty());
}

TEST_F(MenuFixture, SecondInitializeReplacesSelectionAndRereadsFolder) {
  storeFolder("D:\\out");
  auto menu = makeMenu();
  menu->initialize({"C:\\one.htm", "C:\\two.htm"});
  storeFolder("E:\\later");
  menu->initialize({"C:\\three.htm"});
  EXPECT_EQ(std::vector<std::string>{"C:\\three.htm"}, menu->batchState().selection);
  EXPECT_EQ("E:\\later", menu->destinationFolder());
}

// --- QueryContextMenu ------------------------------------------------------

TEST_F(MenuFixture, MenuLayoutHoldsTheSubmenuAndItsTwoCommands) {
  auto layout = makeMenu()->menuLayout();
  ASSERT_TRUE(layout);
  EXPECT_EQ("Morvane", layout->submenuText);
  ASSERT_EQ(2u, layout->items.size());
  EXPECT_EQ(1u, layout->items[0].offset);
  EXPECT_EQ("Set Destination Folder", layout->items[0].text);
  EXPECT_EQ(2u, layout->items[1].offset);
  EXPECT_EQ("Convert", layout->items[1].text);
}

TEST_F(MenuFixture, MenuLayoutLeavesOutWhatDoesNotLoad) {
  strings.remove(IDS_SET_DESTINATION);
  auto layout = makeMenu()->menuLayout();
  ASSERT_TRUE(layout);
  ASSERT_EQ(1u, layout->items.size());
  EXPECT_EQ(2u, layout->items[0].offset);
  strings.remove(IDS_SUBMENU);
  EXPECT_FALSE(makeMenu()->menuLayout());
}

// --- GetCommandString ------------------------------------------------------

TEST_F(MenuFixture, CommandStringTable) {
  struct Case {
    unsigned offset, type;
    std::int32_t result;
    const char* text;  // null: buffer untouched
  };
  const Case cases[] = {
      // verbs: offset 0 succeeds without writing
      {0, gcs::kVerbA, result::kOk, nullptr},
      {1, gcs::kVerbA, result::kOk, "Set Destination Folder"},
      {2, gcs::kVerbA, result::kOk, "Convert"},
      // help texts
      {0, gcs::kHelpTextA, result::kOk, "Tarnwick HTML Conversion Utility"},
      {1, gcs::kHelpTextA, result::kOk, "Set the target dir for converted files"},
      {2, gcs::kHelpTextA, result::kOk, "Convert HTML to Tarnwick format"},
      // validation and any other type (the wide ones too) write nothing
      {0, gcs::kValidateA, result::kOk, nullptr},
      {2, gcs::kValidateA, result::kOk, nullptr},
      {1, 4, result::kOk, nullptr},
      {2, 5, result::kOk, nullptr},
      // offsets beyond the submenu
      {3, gcs::kVerbA, result::kInvalidArg, nullptr},
      {3, gcs::kValidateA, result::kInvalidArg, nullptr},
      {0xFFFFFFFF, gcs::kHelpTextA, result::kInvalidArg, nullptr},
  };
  auto menu = makeMenu();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.offset) + "/" + std::to_string(c.type));
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(c.result, menu->getCommandString(c.offset, c.type, buffer, sizeof buffer));
    if (c.text) EXPECT_STREQ(c.text, buffer);
    else EXPECT_EQ(std::string(sizeof buffer, '#'), std::string(buffer, sizeof buffer));
  }
}

TEST_F(MenuFixture, CommandStringThatDoesNotLoadFails) {
  auto menu = makeMenu();
  char small[5];
  EXPECT_EQ(result::kOk, menu->getCommandString(2, gcs::kVerbA, small, sizeof small));
  EXPECT_STREQ("Conv", small);  // the caller's size bounds the copy
  EXPECT_EQ(result::kFail, menu->getCommandString(2, gcs::kVerbA, small, 0));
  strings.remove(IDS_HELP_CONVERT);
  EXPECT_EQ(result::kFail, menu->getCommandString(2, gcs::kHelpTextA, small, sizeof small));
}

// --- InvokeCommand: verb selection ----------------------------------------

TEST_F(MenuFixture, VerbSelection) {
  const std::pair<const char*, Command> cases[] = {
      {"convert", Command::Convert},
      {"CONVERT", Command::Convert},
      {"c", Command::Convert},
      {"set", Command::SetDestinationFolder},
      {"Set Destination Folder", Command::SetDestinationFolder},
      {"set destination", Command::SetDestinationFolder},
      {"Converted", Command::None},  // longer than the command's text
      {"Set Destination Folders", Command::None},
      {"destination", Command::None},
      {"", Command::None},
  };
  auto menu = makeMenu();
  for (const auto& [verb, command] : cases) EXPECT_EQ(command, menu->commandForVerb(verb)) << verb;
  strings.remove(IDS_CONVERT);
  EXPECT_EQ(Command::None, menu->commandForVerb("convert"));
}

TEST_F(MenuFixture, OffsetSelection) {
  EXPECT_EQ(Command::None, ConversionMenu::commandForOffset(0));
  EXPECT_EQ(Command::SetDestinationFolder, ConversionMenu::commandForOffset(1));
  EXPECT_EQ(Command::Convert, ConversionMenu::commandForOffset(2));
  EXPECT_FALSE(ConversionMenu::commandForOffset(3));
}

// --- InvokeCommand: questions, folder choice and final messages -----------

TEST_F(MenuFixture, ConvertWithoutFolderAnsweredNoConvertsNothingAndReportsSuccess) {
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  boxes.answer(mb::kIdNo);
  EXPECT_EQ(result::kOk, menu->run(Command::Convert));
  ASSERT_EQ(2u, boxes.shown().size());
  EXPECT_EQ(kNoTarget, boxes.shown()[0].text);
  EXPECT_EQ("Verify target directory", boxes.shown()[0].caption);
  EXPECT_EQ(kQuestionStyle, boxes.shown()[0].style);
  EXPECT_EQ("Operation has completed successfully.", boxes.shown()[1].text);
  EXPECT_EQ("Tarnwick Conversion", boxes.shown()[1].caption);
  EXPECT_EQ(0x40u, boxes.shown()[1].style);
  EXPECT_TRUE(batches.empty());
  EXPECT_TRUE(picker.titles().empty());
}

TEST_F(MenuFixture, ConvertWithFolderRunsTheBatchAndReportsItsOutcome) {
  for (bool outcome : {true, false}) {
    SCOPED_TRACE(outcome);
    storeFolder("D:\\out");
    batchResult = outcome;
    batches.clear();
    auto menu = makeMenu();
    menu->initialize({"C:\\site"});
    const std::size_t before = boxes.shown().size();
    EXPECT_EQ(outcome ? result::kOk : result::kFail, menu->run(Command::Convert));
    ASSERT_EQ(before + 2, boxes.shown().size());
    EXPECT_EQ("Target directory is set to D:\\out.\nWould you like to change it?", boxes.shown()[before].text);
    EXPECT_EQ(outcome ? "Operation has completed successfully." : "Operation has failed.",
              boxes.shown()[before + 1].text);
    EXPECT_EQ(outcome ? 0x40u : 0x30u, boxes.shown()[before + 1].style);
    ASSERT_EQ(1u, batches.size());
    EXPECT_EQ("D:\\out", batches[0].destinationFolder);
    EXPECT_EQ(std::vector<std::string>{"C:\\site"}, batches[0].selection);
    EXPECT_EQ("TWBACKUP", batches[0].backupFolderName);
  }
}

TEST_F(MenuFixture, NothingSelectedFailsWithTheFinalMessageOnly) {
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  EXPECT_EQ(result::kFail, menu->run(Command::None));
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("Operation has failed.", boxes.shown()[0].text);
  EXPECT_EQ(0x30u, boxes.shown()[0].style);
}

TEST_F(MenuFixture, SetAnsweredNoOrPickerCancelledKeepsTheFolder) {
  storeFolder("D:\\out");
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  boxes.answer(mb::kIdNo);
  EXPECT_EQ(result::kOk, menu->run(Command::SetDestinationFolder));
  boxes.answer(mb::kIdYes);
  picker.choose(std::nullopt);
  EXPECT_EQ(result::kOk, menu->run(Command::SetDestinationFolder));
  EXPECT_EQ("D:\\out", menu->destinationFolder());
  EXPECT_EQ(std::vector<std::string>{"Select the folder to receive the converted HTML files."}, picker.titles());
  ASSERT_EQ(4u, boxes.shown().size());
  EXPECT_EQ("Operation has completed successfully.", boxes.shown()[3].text);
  EXPECT_TRUE(batches.empty());
}

TEST_F(MenuFixture, ChosenDirectoryIsStoredAndShownByTheNextObject) {
  files.addDirectory("E:\\site out");
  {
    auto menu = makeMenu();
    menu->initialize({"C:\\a.htm"});
    boxes.answer(mb::kIdYes);
    picker.choose("E:\\site out");
    EXPECT_EQ(result::kOk, menu->run(Command::SetDestinationFolder));
    EXPECT_EQ("E:\\site out", menu->destinationFolder());
  }
  EXPECT_EQ("E:\\site out", storedFolder());
  auto next = makeMenu();
  next->initialize({"C:\\a.htm"});
  next->run(Command::SetDestinationFolder);
  ASSERT_EQ(4u, boxes.shown().size());
  EXPECT_EQ("Target directory is set to E:\\site out.\nWould you like to change it?", boxes.shown()[2].text);
}

TEST_F(MenuFixture, ChosenPathThatIsNoDirectoryIsUsedButNotStored) {
  storeFolder("D:\\out");
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  boxes.answer(mb::kIdYes);
  picker.choose("::{virtual folder}");
  EXPECT_EQ(result::kOk, menu->run(Command::Convert));
  EXPECT_EQ("D:\\out", storedFolder());
  ASSERT_EQ(1u, batches.size());
  EXPECT_EQ("::{virtual folder}", batches[0].destinationFolder);
}

TEST_F(MenuFixture, FailedStoreLeavesTheChoiceForThisCommandOnly) {
  files.addDirectory("E:\\new");
  registry.failOn("create", "Software\\Tarnwick\\Morvane");
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  boxes.answer(mb::kIdYes);
  picker.choose("E:\\new");
  EXPECT_EQ(result::kOk, menu->run(Command::Convert));
  ASSERT_EQ(1u, batches.size());
  EXPECT_EQ("E:\\new", batches[0].destinationFolder);
  EXPECT_FALSE(storedFolder());
  EXPECT_FALSE(registry.hasKey(Hive::CurrentUser, kPersistentDataKey));
}

TEST_F(MenuFixture, FolderWithPercentSignsIsShownAsItIs) {
  storeFolder("D:\\100%s done %d");
  auto menu = makeMenu();
  menu->initialize({"C:\\a.htm"});
  menu->run(Command::SetDestinationFolder);
  EXPECT_EQ("Target directory is set to D:\\100%s done %d.\nWould you like to change it?", boxes.shown()[0].text);
}

}  // namespace
}  // namespace morvane
