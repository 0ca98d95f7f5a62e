// The batch over an in-memory file system with Windows paths and a recording
// stand-in for the engine.
#include "shell_extension/core/batch_conversion.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/fakes/fake_file_system.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/testing/batch_harness.h"

namespace morvane {
namespace {

namespace mb = platform::mb;

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    batch.setFileClass(".html", "NETSCAPEmarkup");
    batch.setFileClass(".txt", "txtfile");
    files.addDirectory("D:\\out");
    batch.ports.convert = [this](engine::ConversionContext& context, const char* source, const char* target) {
      EXPECT_EQ(&context, &batch.context);
      conversions.push_back(source);
      const auto page = files.content(source);
      if (failingSources.count(source) || !page || !files.writeFile(target, "converted " + *page)) return 0;
      std::string script = target;
      if (replaceExtension(script, "AXS")) files.writeFile(script, "script of " + *page);  // as the engine names it
      return 1;
    };
  }

  // The sample site: a page, an image in a subfolder, a page in another.
  void addSite() {
    files.addFile("C:\\site\\index.htm", "home");
    files.addFile("C:\\site\\img\\logo.gif", "GIF89a");
    files.addFile("C:\\site\\sub\\a.htm", "page a");
  }
  bool run(std::vector<std::string> selection) { return batch.run(std::move(selection), destination); }
  std::string content(const std::string& path) { return files.content(path).value_or("<missing>"); }

  platform::FakeFileSystem files{'\\'};
  BatchHarness batch{files};
  CursorCheckingBoxes& boxes = batch.boxes;
  platform::FakeCursor& cursor = batch.cursor;
  std::optional<std::string> destination = std::string("D:\\out");
  std::vector<std::string> conversions;
  std::set<std::string> failingSources;
};

TEST_F(BatchTest, SelectedPageLandsInTheDestinationUnderABusyCursor) {
  addSite();
  EXPECT_TRUE(run({"C:\\site\\index.htm"}));
  EXPECT_EQ("converted home", content("D:\\out\\index.htm"));
  EXPECT_EQ(std::vector<std::string>{"C:\\site\\index.htm"}, conversions);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ((std::vector<std::string>{"wait", "show", "hide", "restore"}), cursor.events());
}

TEST_F(BatchTest, SelectedFolderIsMirroredWithoutItsOwnName) {
  addSite();
  EXPECT_TRUE(run({"C:\\site"}));
  EXPECT_EQ("converted home", content("D:\\out\\index.htm"));
  EXPECT_EQ("GIF89a", content("D:\\out\\img\\logo.gif"));  // copied
  EXPECT_EQ("converted page a", content("D:\\out\\sub\\a.htm"));
  EXPECT_FALSE(files.has("D:\\out\\site"));
  EXPECT_EQ((std::vector<std::string>{"C:\\site\\index.htm", "C:\\site\\sub\\a.htm"}), conversions);
}

TEST_F(BatchTest, SelectedDriveAndSeveralItemsShareTheDestination) {
  addSite();
  files.addFile("E:\\notes.txt", "notes");  // .txt is a class, but not a page class
  files.addFile("E:\\more\\b.html", "page b");
  EXPECT_TRUE(run({"C:\\", "E:\\notes.txt", "E:\\more"}));
  EXPECT_EQ("converted home", content("D:\\out\\site\\index.htm"));
  EXPECT_EQ("converted page a", content("D:\\out\\site\\sub\\a.htm"));
  EXPECT_EQ("notes", content("D:\\out\\notes.txt"));
  EXPECT_EQ("converted page b", content("D:\\out\\b.html"));
}

TEST_F(BatchTest, PageTestUsesTheFileClassOfTheExtensionFromTheFirstDot) {
  struct Case { const char* name; const char* keyClass; bool converted; };
  const Case cases[] = {
      {"a.b.htm", nullptr, false},             // key .b.htm missing: copied
      {"c.d.htm", "HTMLFile", true},           // key .d.htm names a page class, in any case
      {"e.f.htm", "netscapemarkup", true},
      {"g.h.htm", "htmlfile2", false},         // the whole class must match
      {"noext", nullptr, false},
      {"page.HTM", nullptr, true},             // extension keys match without regard to case
  };
  for (const Case& c : cases) {
    if (c.keyClass) batch.setFileClass(std::string(c.name).substr(std::string(c.name).find('.')), c.keyClass);
    files.addFile(std::string("C:\\in\\") + c.name, c.name);
  }
  EXPECT_TRUE(run({"C:\\in"}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(std::string(c.converted ? "converted " : "") + c.name, content(std::string("D:\\out\\") + c.name));
  }
}

TEST_F(BatchTest, CopiesNeverOverwrite) {
  addSite();
  files.addFile("D:\\out\\img\\LOGO.GIF", "older logo");
  EXPECT_TRUE(run({"C:\\site\\img"}));
  EXPECT_TRUE(run({"C:\\site"}));
  EXPECT_EQ("older logo", content("D:\\out\\img\\logo.gif"));
  EXPECT_EQ("GIF89a", content("D:\\out\\logo.gif"));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(BatchTest, EarlierResultsAreBackedUpWithNumberedNames) {
  addSite();
  ASSERT_TRUE(run({"C:\\site\\index.htm"}));
  ASSERT_TRUE(run({"C:\\site\\index.htm"}));
  EXPECT_EQ("converted home", content("D:\\out\\TWBACKUP\\index.htm"));
  EXPECT_EQ("script of home", content("D:\\out\\TWBACKUP\\index.axs"));
  EXPECT_FALSE(files.has("D:\\out\\TWBACKUP\\index_1.htm"));
  files.addFile("C:\\site\\index.htm", "home v3");
  ASSERT_TRUE(run({"C:\\site\\index.htm"}));
  EXPECT_EQ("converted home", content("D:\\out\\TWBACKUP\\index_1.htm"));
  EXPECT_EQ("script of home", content("D:\\out\\TWBACKUP\\index_1.axs"));
  EXPECT_EQ("converted home v3", content("D:\\out\\index.htm"));

  // One notice per command, after that command's first conflict.
  ASSERT_EQ(2u, boxes.shown().size());
  for (const auto& box : boxes.shown()) {
    EXPECT_EQ("Some files already exist in the target directory.  These will be backed up into the directory "
              "D:\\out\\TWBACKUP.",
              box.text);
    EXPECT_EQ("File(s) already exists.", box.caption);
    EXPECT_EQ(mb::kIconInformation, box.style);
  }
  EXPECT_EQ((std::vector<bool>{false, false}), boxes.busyWhileShown);
}

TEST_F(BatchTest, NoticeShowsOncePerCommandEvenWithSeveralConflicts) {
  addSite();
  ASSERT_TRUE(run({"C:\\site"}));
  ASSERT_TRUE(run({"C:\\site"}));
  EXPECT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("converted page a", content("D:\\out\\sub\\TWBACKUP\\a.htm"));
  EXPECT_EQ("converted home", content("D:\\out\\TWBACKUP\\index.htm"));
  // The notice names the first conflict's backup folder.
  EXPECT_NE(std::string::npos, boxes.shown()[0].text.find("D:\\out\\TWBACKUP."));
}

TEST_F(BatchTest, ALoneScriptFileIsBackedUpToo) {
  addSite();
  files.addFile("D:\\out\\index.axs", "old script");
  EXPECT_TRUE(run({"C:\\site\\index.htm"}));
  EXPECT_EQ("old script", content("D:\\out\\TWBACKUP\\index.axs"));
  EXPECT_EQ(1u, boxes.shown().size());
}

TEST_F(BatchTest, BackupFoldersAreNeverWalked) {
  addSite();
  files.addFile("C:\\site\\TwBackup\\old.htm", "old");
  files.addFile("C:\\site\\sub\\twbackup", "a file of that name");
  files.addFile("C:\\site\\TWBACKUP.htm", "a page of that name");
  EXPECT_TRUE(run({"C:\\site"}));
  EXPECT_FALSE(files.has("D:\\out\\TwBackup\\old.htm"));
  EXPECT_FALSE(files.has("D:\\out\\sub\\twbackup"));
  EXPECT_EQ("converted a page of that name", content("D:\\out\\TWBACKUP.htm"));  // the page test comes first
}

TEST_F(BatchTest, MissingFoldersAreCreatedBackwardThenForward) {
  addSite();
  destination = "D:\\new\\deep\\out";
  EXPECT_TRUE(run({"C:\\site\\index.htm"}));
  // Backward D:\new\deep\out\ and D:\new\deep fail, D:\new is created; then forward.
  EXPECT_EQ((std::vector<std::string>{"D:\\new", "D:\\new\\deep\\", "D:\\new\\deep\\out\\"}),
            files.createdFolders());
  EXPECT_EQ("converted home", content("D:\\new\\deep\\out\\index.htm"));
}

struct FailureCase {
  const char* title;
  void (*arrange)(platform::FakeFileSystem&, std::set<std::string>&);
  std::vector<std::string> texts;  // the boxes shown, in order
  std::vector<std::string> convertedAfter;
};

TEST_F(BatchTest, TheFirstFailureTellsTheUserAndStopsTheBatch) {
  const std::string copyFailed = "Conversion for file C:\\site\\img\\logo.gif has failed.\n";
  const FailureCase cases[] = {
      {"output folder cannot be created",
       [](platform::FakeFileSystem& fs, std::set<std::string>&) { fs.failOn("create", "D:\\out\\img"); },
       {"Could not create folder D:\\out\\img."}, {"C:\\site\\index.htm"}},
      {"copy fails",
       [](platform::FakeFileSystem& fs, std::set<std::string>&) { fs.failOn("copy", "D:\\out\\img\\logo.gif"); },
       {copyFailed}, {"C:\\site\\index.htm"}},
      {"engine fails",
       [](platform::FakeFileSystem&, std::set<std::string>& failing) { failing.insert("C:\\site\\index.htm"); },
       {"Conversion for file C:\\site\\index.htm has failed.\n"}, {"C:\\site\\index.htm"}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.title);
    platform::FakeFileSystem fresh{'\\'};
    files = fresh;
    boxes = CursorCheckingBoxes(cursor);
    conversions.clear();
    failingSources.clear();
    files.addDirectory("D:\\out");
    addSite();
    files.addFile("C:\\later.htm", "later");
    c.arrange(files, failingSources);
    EXPECT_FALSE(run({"C:\\site", "C:\\later.htm"}));
    EXPECT_EQ(c.texts, batch.texts());
    EXPECT_EQ(c.convertedAfter, conversions);  // sub\a.htm and the second item are never reached
    EXPECT_FALSE(files.has("D:\\out\\later.htm"));
    for (bool busy : boxes.busyWhileShown) EXPECT_FALSE(busy);
  }
}

TEST_F(BatchTest, MessagesUseTheirCaptionsAndIcons) {
  addSite();
  files.failOn("create", "D:\\out\\img");
  EXPECT_FALSE(run({"C:\\site"}));
  files.addFile("C:\\other.htm", "other");
  failingSources.insert("C:\\other.htm");
  EXPECT_FALSE(run({"C:\\other.htm"}));
  ASSERT_EQ(2u, boxes.shown().size());
  EXPECT_EQ("Fatal error!", boxes.shown()[0].caption);
  EXPECT_EQ(mb::kIconExclamation, boxes.shown()[0].style);
  EXPECT_EQ("Conversion error!", boxes.shown()[1].caption);
  EXPECT_EQ(mb::kIconHand, boxes.shown()[1].style);
}

TEST_F(BatchTest, AnExistingPageWhoseBackupFailsIsNotConverted) {
  addSite();
  ASSERT_TRUE(run({"C:\\site\\index.htm"}));
  files.failOn("create", "D:\\out\\TWBACKUP");
  conversions.clear();
  EXPECT_FALSE(run({"C:\\site\\index.htm"}));
  const std::vector<std::string> texts = batch.texts();
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ("Could not create folder D:\\out\\TWBACKUP.", texts[0]);
  EXPECT_EQ(0u, texts[1].find("Some files already exist"));
  EXPECT_EQ("Conversion for file C:\\site\\index.htm has failed.\n", texts[2]);
  EXPECT_TRUE(conversions.empty());
}

TEST_F(BatchTest, ANoticeNotAnsweredOkStopsTheBatchAfterTheBackup) {
  addSite();
  ASSERT_TRUE(run({"C:\\site\\index.htm"}));
  boxes.answer(mb::kIdCancel);
  conversions.clear();
  EXPECT_FALSE(run({"C:\\site\\index.htm"}));
  EXPECT_TRUE(conversions.empty());
  EXPECT_EQ("converted home", content("D:\\out\\TWBACKUP\\index.htm"));
  ASSERT_EQ(2u, boxes.shown().size());
  EXPECT_EQ(mb::kIconHand, boxes.shown()[1].style);
}

TEST_F(BatchTest, WithoutADestinationNothingHappens) {
  addSite();
  destination.reset();
  EXPECT_FALSE(run({"C:\\site"}));
  destination = "";
  EXPECT_FALSE(run({"C:\\site"}));
  EXPECT_TRUE(conversions.empty());
  EXPECT_TRUE(boxes.shown().empty());
}

// A selected item whose folder cannot be found fails with the file message
// instead of cutting its path for ever.
TEST_F(BatchTest, ASelectedPathThatIsGoneFails) {
  addSite();
  for (const char* gone : {"X:\\gone\\a.htm", "C:\\site\\gone.htm", "C:\\site\\nowhere\\x.gif", "relative.htm"}) {
    SCOPED_TRACE(gone);
    boxes = CursorCheckingBoxes(cursor);
    EXPECT_FALSE(run({gone, "C:\\site\\index.htm"}));
    ASSERT_EQ(1u, boxes.shown().size());
    EXPECT_EQ("Conversion for file " + std::string(gone) + " has failed.\n", boxes.shown()[0].text);
  }
  EXPECT_TRUE(conversions.empty());
}

// The destination met inside a selected folder is passed over, by name or
// through a link, even when the batch itself created it.
TEST_F(BatchTest, TheDestinationIsNotMirroredIntoItself) {
  struct Case { const char* destination; const char* linkToDestination; };
  const Case cases[] = {{"C:\\site\\out", nullptr}, {"c:\\SITE\\out\\", nullptr},
                        {"C:\\site\\zz\\out", nullptr}, {"D:\\out", "C:\\site\\mirror"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    platform::FakeFileSystem fresh{'\\'};
    files = fresh;
    files.addDirectory("D:\\out");
    addSite();
    files.addDirectory("C:\\site\\zz");
    if (c.linkToDestination) files.addLink(c.linkToDestination, c.destination);
    destination = c.destination;
    EXPECT_TRUE(run({"C:\\site"}));
    const std::string out = withoutTrailingSeparators(c.destination, '\\');
    EXPECT_EQ("converted home", content(out + "\\index.htm"));
    EXPECT_FALSE(files.has(out + "\\out"));
    EXPECT_FALSE(files.has(out + "\\zz\\out"));
    EXPECT_FALSE(files.has(out + "\\mirror"));
    EXPECT_FALSE(files.has(out + "\\TWBACKUP"));  // nothing converted twice
  }
}

TEST_F(BatchTest, AFolderLinkBackIntoTheWalkIsNotFollowed) {
  addSite();
  files.addLink("C:\\site\\sub\\up", "C:\\site");
  EXPECT_TRUE(run({"C:\\site"}));
  EXPECT_EQ((std::vector<std::string>{"C:\\site\\index.htm", "C:\\site\\sub\\a.htm"}), conversions);
  EXPECT_FALSE(files.has("D:\\out\\sub\\up"));
  EXPECT_TRUE(boxes.shown().empty());
}

// Paths live in 260-byte buffers: a longer one stops the batch with the file
// message instead of being cut or overflowing.
TEST_F(BatchTest, PathsBeyond259CharactersFailCleanly) {
  const std::string deep = "C:\\" + std::string(240, 'd');
  files.addFile(deep + "\\" + std::string(20, 'f') + ".gif", "x");  // 245 + 25 characters
  EXPECT_FALSE(run({deep}));
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("Conversion for file " + deep + "\\" + std::string(20, 'f') + ".gif has failed.\n", boxes.shown()[0].text);

  boxes = CursorCheckingBoxes(cursor);
  files.addFile("C:\\short\\page.htm", "p");
  destination = "D:\\" + std::string(250, 'o');  // the source fits, the target does not
  EXPECT_FALSE(run({"C:\\short\\page.htm"}));
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("Conversion for file C:\\short\\page.htm has failed.\n", boxes.shown()[0].text);
  EXPECT_TRUE(conversions.empty());

  boxes = CursorCheckingBoxes(cursor);
  EXPECT_FALSE(run({"C:\\" + std::string(300, 's')}));
  EXPECT_EQ(1u, boxes.shown().size());
}

// The limit itself: a target of 259 characters is written, one of 260 is not.
TEST_F(BatchTest, ATargetOfExactly259CharactersFits) {
  for (const std::size_t length : {259u, 260u}) {
    SCOPED_TRACE(length);
    const std::string name = std::string(length - 7 - 4, 'n') + ".gif";  // D:\out\ + name
    files.addFile("C:\\in\\" + name, "x");
    EXPECT_EQ(length == 259, run({"C:\\in\\" + name}));
    EXPECT_EQ(length == 259, files.has("D:\\out\\" + name));
  }
}

TEST_F(BatchTest, BackupNamesThatNoLongerFitFailTheBackup) {
  const std::string name = std::string(238, 'n') + ".htm";  // D:\out\TWBACKUP\ + name = 258
  files.addFile("C:\\" + name, "p");
  ASSERT_TRUE(run({"C:\\" + name}));
  ASSERT_TRUE(run({"C:\\" + name}));  // TWBACKUP\name fits
  EXPECT_FALSE(run({"C:\\" + name}));  // name_1.htm would be 260 characters
  ASSERT_EQ(3u, boxes.shown().size());  // a notice in each of the last two commands, then the failure
  EXPECT_EQ("Conversion for file C:\\" + name + " has failed.\n", boxes.shown().back().text);
  EXPECT_FALSE(files.has("D:\\out\\TWBACKUP\\" + name.substr(0, 238) + "_1.htm"));
}

}  // namespace
}  // namespace morvane
