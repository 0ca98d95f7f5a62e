#include "file_registry_store.h"

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
  EXPECT_FALSE(testing_support::exists(file + ".tmp." + std::to_string(getpid())));
}

TEST(FileRegistryStore, ClassesRootKnowsHtmlPagesWithoutAFile) {
  TempDir dir;
  FileRegistryStore store(dir.file("registry"));
  for (const char* extension : {".htm", ".HTML"}) {
    EXPECT_TRUE(store.openKey(Hive::ClassesRoot, extension));
    EXPECT_EQ("htmlfile", store.queryString(Hive::ClassesRoot, extension, "", 256));
  }
  EXPECT_FALSE(store.openKey(Hive::ClassesRoot, ".b.htm"));
  EXPECT_FALSE(testing_support::exists(dir.file("registry")));  // reading writes nothing
  // The file can add classes of its own and override the built-in ones.
  ASSERT_TRUE(store.createKey(Hive::ClassesRoot, ".shtml"));
  ASSERT_TRUE(store.setString(Hive::ClassesRoot, ".shtml", "", "NetscapeMarkup"));
  ASSERT_TRUE(store.setString(Hive::ClassesRoot, ".html", "", "txtfile"));
  FileRegistryStore again(dir.file("registry"));
  EXPECT_EQ("NetscapeMarkup", again.queryString(Hive::ClassesRoot, ".shtml", "", 256));
  EXPECT_EQ("txtfile", again.queryString(Hive::ClassesRoot, ".html", "", 256));
  EXPECT_EQ("htmlfile", again.queryString(Hive::ClassesRoot, ".htm", "", 256));
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

TEST(FileRegistryStore, IgnoresLinesItDoesNotUnderstandAndFailsWhereItCannotWrite) {
  TempDir dir;
  testing_support::writeBytes(dir.file("registry"),
                              "garbage\r\n[HKEY_NOWHERE\\X]\n\"a\"=\"b\"\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"1\"\r\n"
                              "\"broken=\n\"w\"=\"unterminated\n");
  FileRegistryStore store(dir.file("registry"));
  EXPECT_EQ("1", store.queryString(Hive::CurrentUser, "K", "v", 260));
  EXPECT_FALSE(store.queryString(Hive::CurrentUser, "K", "w", 260));
  testing_support::writeBytes(dir.file("plain"), "a file, not a folder");
  FileRegistryStore blocked(dir.file("plain") + "/registry");
  EXPECT_FALSE(blocked.createKey(Hive::CurrentUser, "K"));
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
