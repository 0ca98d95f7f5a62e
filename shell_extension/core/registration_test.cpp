#include "shell_extension/core/registration.h"

#include <gtest/gtest.h>

#include "platform/fakes/fake_registry_store.h"
#include "shell_extension/core/class_id.h"

namespace morvane {
namespace {

using platform::FakeRegistryStore;
using platform::Hive;

const std::string kClassKey = "CLSID\\{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}";
const std::string kServerKey = kClassKey + "\\InprocServer32";
const char kDllPath[] = "C:\\Program Files\\Tarnwick\\MORVANE.DLL";
const char* const kHooks[] = {
    "*\\shellex\\ContextMenuHandlers\\Morvane", "Folder\\shellex\\ContextMenuHandlers\\Morvane",
    "Drive\\shellex\\ContextMenuHandlers\\Morvane", "Directory\\shellex\\ContextMenuHandlers\\Morvane"};

ModulePathLookup foundAt(std::optional<std::string> path) {
  return [path] { return path; };
}

std::string describe(const FakeRegistryStore::Call& c) {
  return c.op + " " + std::to_string(static_cast<int>(c.hive)) + " " + c.path + " [" + c.name + "]=" + c.data;
}

std::vector<std::string> describeAll(const std::vector<FakeRegistryStore::Call>& calls) {
  std::vector<std::string> out;
  for (const auto& c : calls) out.push_back(describe(c));
  return out;
}

TEST(Registration, WritesExactlyTheKeysAndValuesInOrder) {
  FakeRegistryStore registry;
  ASSERT_TRUE(registerServer(registry, foundAt(kDllPath)));

  std::vector<std::string> expected = {
      "create 0 " + kClassKey + " []=",
      "set 0 " + kClassKey + " []=Tarnwick Conversion Shell Extension",
      "create 0 " + kServerKey + " []=",
      "set 0 " + kServerKey + " []=" + kDllPath,
      "create 2 Software\\Tarnwick\\Morvane\\1.0.0.1 []=",
      "set 0 " + kServerKey + " [ThreadingModel]=Apartment",
  };
  for (const char* hook : kHooks) {
    expected.push_back(std::string("create 0 ") + hook + " []=");
    expected.push_back(std::string("set 0 ") + hook + " []={6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}");
  }
  EXPECT_EQ(expected, describeAll(registry.calls()));
  EXPECT_EQ(std::string(kClassIdText), "{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}");
  EXPECT_FALSE(registry.value(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\1.0.0.1", ""));
}

// Failing each step in turn: registration stops right there (the product key
// excepted), and what the earlier steps wrote stays.
TEST(Registration, StopsAtEachFailedStep) {
  FakeRegistryStore clean;
  ASSERT_TRUE(registerServer(clean, foundAt(kDllPath)));
  const std::vector<FakeRegistryStore::Call> all = clean.calls();

  for (std::size_t step = 0; step < all.size(); ++step) {
    const FakeRegistryStore::Call& failing = all[step];
    // A failOn hits every call of that op on that path; only the first of
    // them is the step under test.
    bool firstOfItsKind = true;
    for (std::size_t i = 0; i < step; ++i)
      if (all[i].op == failing.op && all[i].path == failing.path) firstOfItsKind = false;
    if (!firstOfItsKind) continue;
    SCOPED_TRACE(describe(failing));

    FakeRegistryStore registry;
    registry.failOn(failing.op, failing.path);
    const bool ignored = failing.hive == Hive::LocalMachine;
    EXPECT_EQ(ignored, registerServer(registry, foundAt(kDllPath)));
    const auto calls = describeAll(registry.calls());
    const auto cleanCalls = describeAll(all);
    if (ignored) {
      EXPECT_EQ(cleanCalls, calls);
      EXPECT_FALSE(registry.hasKey(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\1.0.0.1"));
    } else {
      EXPECT_EQ(std::vector<std::string>(cleanCalls.begin(), cleanCalls.begin() + step + 1), calls);
    }
  }
}

TEST(Registration, ServerNotLoadedUnderItsNameFailsAtTheModuleLookup) {
  for (const std::optional<std::string>& path : {std::optional<std::string>(), std::optional<std::string>("")}) {
    FakeRegistryStore registry;
    EXPECT_FALSE(registerServer(registry, foundAt(path)));
    // The class key with its description and an empty server key stay behind.
    EXPECT_EQ("Tarnwick Conversion Shell Extension", registry.value(Hive::ClassesRoot, kClassKey, ""));
    EXPECT_TRUE(registry.hasKey(Hive::ClassesRoot, kServerKey));
    EXPECT_FALSE(registry.value(Hive::ClassesRoot, kServerKey, ""));
    EXPECT_EQ(3u, registry.calls().size());
  }
}

TEST(Registration, RegisteringTwiceLeavesTheSameKeysAndValues) {
  FakeRegistryStore once, twice;
  ASSERT_TRUE(registerServer(once, foundAt(kDllPath)));
  ASSERT_TRUE(registerServer(twice, foundAt(kDllPath)));
  ASSERT_TRUE(registerServer(twice, foundAt(kDllPath)));
  EXPECT_EQ(once.keyCount(), twice.keyCount());
  EXPECT_EQ(kDllPath, twice.value(Hive::ClassesRoot, kServerKey, ""));
  EXPECT_EQ("Apartment", twice.value(Hive::ClassesRoot, kServerKey, "threadingmodel"));
  for (const char* hook : kHooks) EXPECT_EQ(kClassIdText, twice.value(Hive::ClassesRoot, hook, "")) << hook;
}

const char* const kDeletionOrder[] = {
    "2 Software\\Tarnwick\\Morvane\\1.0.0.1",
    "2 Software\\Tarnwick\\Morvane",
    "0 CLSID\\{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}\\InprocServer32",
    "0 CLSID\\{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}",
    "0 *\\shellex\\ContextMenuHandlers\\Morvane",
    "0 Folder\\shellex\\ContextMenuHandlers\\Morvane",
    "0 Drive\\shellex\\ContextMenuHandlers\\Morvane",
    "0 Directory\\shellex\\ContextMenuHandlers\\Morvane",
};

std::vector<std::string> deletions(const FakeRegistryStore& registry) {
  std::vector<std::string> out;
  for (const auto& c : registry.calls())
    if (c.op == "delete") out.push_back(std::to_string(static_cast<int>(c.hive)) + " " + c.path);
  return out;
}

TEST(Unregistration, DeletesEveryKeyInOrderAndLeavesTheUsersFolder) {
  FakeRegistryStore registry;
  registry.createKey(Hive::CurrentUser, "Software\\Tarnwick\\Morvane\\Persistent Data");
  registry.setString(Hive::CurrentUser, "Software\\Tarnwick\\Morvane\\Persistent Data", "DestFolder", "C:\\out");
  ASSERT_TRUE(registerServer(registry, foundAt(kDllPath)));
  ASSERT_TRUE(unregisterServer(registry));

  EXPECT_EQ(std::vector<std::string>(std::begin(kDeletionOrder), std::end(kDeletionOrder)), deletions(registry));
  EXPECT_FALSE(registry.hasKey(Hive::ClassesRoot, kClassKey));
  for (const char* hook : kHooks) EXPECT_FALSE(registry.hasKey(Hive::ClassesRoot, hook)) << hook;
  EXPECT_TRUE(registry.hasKey(Hive::ClassesRoot, "Directory\\shellex\\ContextMenuHandlers"));
  EXPECT_TRUE(registry.hasKey(Hive::LocalMachine, "Software\\Tarnwick"));
  EXPECT_EQ("C:\\out", registry.value(Hive::CurrentUser, "Software\\Tarnwick\\Morvane\\Persistent Data",
                                      "DestFolder"));
}

TEST(Unregistration, BeforeRegisteringFailsAtOnce) {
  FakeRegistryStore registry;
  EXPECT_FALSE(unregisterServer(registry));
  EXPECT_EQ(std::vector<std::string>{kDeletionOrder[0]}, deletions(registry));
}

TEST(Unregistration, StopsAtEachFailedDeletionLeavingLaterKeys) {
  for (std::size_t failing = 0; failing < std::size(kDeletionOrder); ++failing) {
    const std::string row = kDeletionOrder[failing];
    SCOPED_TRACE(row);
    FakeRegistryStore registry;
    ASSERT_TRUE(registerServer(registry, foundAt(kDllPath)));
    registry.failOn("delete", row.substr(2));
    EXPECT_FALSE(unregisterServer(registry));
    EXPECT_EQ(std::vector<std::string>(kDeletionOrder, kDeletionOrder + failing + 1), deletions(registry));
    for (std::size_t later = failing; later < std::size(kDeletionOrder); ++later) {
      const std::string key = kDeletionOrder[later];
      const Hive hive = key[0] == '2' ? Hive::LocalMachine : Hive::ClassesRoot;
      EXPECT_TRUE(registry.hasKey(hive, key.substr(2))) << key;
    }
  }
}

TEST(Unregistration, KeepsAProductKeyThatHoldsOtherVersions) {
  FakeRegistryStore registry;
  ASSERT_TRUE(registerServer(registry, foundAt(kDllPath)));
  registry.createKey(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\2.0");
  EXPECT_FALSE(unregisterServer(registry));
  EXPECT_TRUE(registry.hasKey(Hive::LocalMachine, "Software\\Tarnwick\\Morvane\\2.0"));
  EXPECT_TRUE(registry.hasKey(Hive::ClassesRoot, kServerKey));
}

}  // namespace
}  // namespace morvane
