#include "platform/native/file_registry_store.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "testing/temp_dir.h"

namespace platform {
namespace {

using testing_support::readBytes;
using testing_support::TempDir;

const char kKey[] = "Software\\Tarnwick\\Morvane\\Persistent Data";

TEST(FileRegistryStore, KeepsValuesAcrossInstancesInATextFile) {
  TempDir dir;
  const std::string file = dir.file("config/tarnwick/registry");
  {
    FileRegistryStore store(file);
    EXPECT_FALSE(store.openKey(Hive::CurrentUser, kKey));
    EXPECT_FALSE(store.setString(Hive::CurrentUser, kKey, "DestFolder", "/x"));  // key missing
    ASSERT_TRUE(store.createKey(Hive::CurrentUser, kKey));
    ASSERT_TRUE(store.setString(Hive::CurrentUser, kKey, "DestFolder", "/home/ann/out \"q\" \\ end\nline"));
    ASSERT_TRUE(store.setString(Hive::CurrentUser, kKey, "", "default"));
  }
  FileRegistryStore again(file);
  EXPECT_TRUE(again.openKey(Hive::CurrentUser, "software\\TARNWICK"));  // parents exist, any case
  EXPECT_EQ("/home/ann/out \"q\" \\ end\nline", again.queryString(Hive::CurrentUser, kKey, "destfolder", 260));
  EXPECT_EQ("default", again.queryString(Hive::CurrentUser, kKey, "", 260));
  EXPECT_EQ("/home", again.queryString(Hive::CurrentUser, kKey, "DestFolder", 6));  // 6 bytes, NUL included
  EXPECT_FALSE(again.queryString(Hive::LocalMachine, kKey, "DestFolder", 260));
  const std::string text = readBytes(file);
  EXPECT_NE(std::string::npos, text.find("[HKEY_CURRENT_USER\\Software\\Tarnwick\\Morvane\\Persistent Data]\n"
                                         "\"DestFolder\"=\"/home/ann/out \\\"q\\\" \\\\ end\\nline\"\n@=\"default\"\n"));
}

// The store knows no file classes of its own: HKEY_CLASSES_ROOT holds what
// the file holds, and reading writes nothing.
TEST(FileRegistryStore, ClassesRootHoldsWhatTheFileHolds) {
  TempDir dir;
  FileRegistryStore store(dir.file("registry"));
  EXPECT_FALSE(store.openKey(Hive::ClassesRoot, ".htm"));
  EXPECT_FALSE(store.queryString(Hive::ClassesRoot, ".htm", "", 256));
  EXPECT_FALSE(store.setString(Hive::ClassesRoot, ".htm", "", "htmlfile"));
  EXPECT_FALSE(testing_support::exists(dir.file("registry")));
  ASSERT_TRUE(store.createKey(Hive::ClassesRoot, ".shtml"));
  ASSERT_TRUE(store.setString(Hive::ClassesRoot, ".shtml", "", "NetscapeMarkup"));
  FileRegistryStore again(dir.file("registry"));
  EXPECT_EQ("NetscapeMarkup", again.queryString(Hive::ClassesRoot, ".SHTML", "", 256));
  EXPECT_FALSE(again.openKey(Hive::ClassesRoot, ".html"));
}

TEST(FileRegistryStore, DeletesOnlyKeysWithoutSubkeys) {
  TempDir dir;
  FileRegistryStore store(dir.file("registry"));
  ASSERT_TRUE(store.createKey(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\1.0.0.1"));
  EXPECT_FALSE(store.deleteKey(Hive::LocalMachine, "Software\\Tarnwick"));
  EXPECT_TRUE(store.deleteKey(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\1.0.0.1"));
  EXPECT_FALSE(store.openKey(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\1.0.0.1"));
  EXPECT_FALSE(store.deleteKey(Hive::LocalMachine, "Software\\Nothing"));
}

// Lines it does not understand mean nothing to it, and stay as they were when
// it changes the file: only the lines a change concerns are edited.
TEST(FileRegistryStore, KeepsLinesItDoesNotUnderstandAndFailsWhereItCannotWrite) {
  TempDir dir;
  const std::string original =
      "; my notes\r\ngarbage\r\n[HKEY_NOWHERE\\X]\n\"a\"=\"b\"\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"1\"\r\n"
      "\"broken=\n\"w\"=\"unterminated\n  # indented comment\n";
  testing_support::writeBytes(dir.file("registry"), original);
  FileRegistryStore store(dir.file("registry"));
  EXPECT_EQ("1", store.queryString(Hive::CurrentUser, "K", "v", 260));
  EXPECT_FALSE(store.queryString(Hive::CurrentUser, "K", "w", 260));
  ASSERT_TRUE(store.setString(Hive::CurrentUser, "K", "v", "2"));
  ASSERT_TRUE(store.setString(Hive::CurrentUser, "K", "new", "3"));
  EXPECT_EQ("; my notes\r\ngarbage\r\n[HKEY_NOWHERE\\X]\n\"a\"=\"b\"\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"2\"\n"
            "\"new\"=\"3\"\n\"broken=\n\"w\"=\"unterminated\n  # indented comment\n",
            readBytes(dir.file("registry")));
  ASSERT_TRUE(store.createKey(Hive::CurrentUser, "K\\Sub"));
  ASSERT_TRUE(store.deleteKey(Hive::CurrentUser, "K\\Sub"));
  EXPECT_EQ(0u, readBytes(dir.file("registry")).find("; my notes\r\ngarbage\r\n[HKEY_NOWHERE\\X]\n\"a\"=\"b\"\n"));
  testing_support::writeBytes(dir.file("plain"), "a file, not a folder");
  FileRegistryStore blocked(dir.file("plain") + "/registry");
  EXPECT_FALSE(blocked.createKey(Hive::CurrentUser, "K"));
}

// A settings file that is a link stays a link: the file it names is
// replaced. A change made by another program is seen at the next call.
TEST(FileRegistryStore, WritesThroughALinkAndSeesChangesOnDisk) {
  TempDir dir;
  testing_support::writeBytes(dir.file("real-registry"), "[HKEY_CURRENT_USER\\K]\n\"v\"=\"1\"\n");
  ASSERT_EQ(0, symlink("real-registry", dir.file("registry").c_str()));
  FileRegistryStore store(dir.file("registry"));
  ASSERT_TRUE(store.setString(Hive::CurrentUser, "K", "v", "2"));
  char target[64] = {};
  ASSERT_GT(readlink(dir.file("registry").c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string("real-registry"), target);
  EXPECT_EQ("[HKEY_CURRENT_USER\\K]\n\"v\"=\"2\"\n", readBytes(dir.file("real-registry")));

  testing_support::writeBytes(dir.file("real-registry"), "[HKEY_CURRENT_USER\\K]\n\"v\"=\"from another program\"\n");
  EXPECT_EQ("from another program", store.queryString(Hive::CurrentUser, "K", "v", 260));
}

TEST(FileRegistryStore, DefaultPathFollowsTheConfigurationFolder) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string restore = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ("/cfg/tarnwick/registry", FileRegistryStore::defaultPath());
  unsetenv("XDG_CONFIG_HOME");
  if (const char* home = std::getenv("HOME")) {
    EXPECT_EQ(std::string(home) + "/.config/tarnwick/registry", FileRegistryStore::defaultPath());
  }
  if (saved) setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
}

}  // namespace
}  // namespace platform
