// In-memory registry for tests: records every operation and fails on request.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "platform/registry_store.h"

namespace platform {

class FakeRegistryStore : public RegistryStore {
 public:
  struct Call {
    std::string op;    // "create", "open", "set", "query", "delete"
    Hive hive;
    std::string path;
    std::string name;  // value name for set/query
    std::string data;  // data for set
  };

  bool createKey(Hive hive, const std::string& path) override {
    record("create", hive, path);
    if (failing("create", path)) return false;
    std::string prefix;
    for (const std::string& part : split(path)) {
      prefix = prefix.empty() ? part : prefix + "\\" + part;
      keys_.insert(key(hive, prefix));
    }
    return true;
  }
  bool openKey(Hive hive, const std::string& path) override {
    record("open", hive, path);
    return !failing("open", path) && keys_.count(key(hive, path)) > 0;
  }
  bool setString(Hive hive, const std::string& path, const std::string& name, const std::string& data) override {
    record("set", hive, path, name, data);
    if (failing("set", path) || !keys_.count(key(hive, path))) return false;
    values_[key(hive, path)][common::toLowerAscii(name)] = data;
    return true;
  }
  std::optional<std::string> queryString(Hive hive, const std::string& path, const std::string& name,
                                         std::size_t maxBytes) override {
    record("query", hive, path, name);
    if (failing("query", path)) return std::nullopt;
    auto k = values_.find(key(hive, path));
    if (k == values_.end()) return std::nullopt;
    auto v = k->second.find(common::toLowerAscii(name));
    if (v == k->second.end()) return std::nullopt;
    std::string data = v->second;
    if (maxBytes > 0 && data.size() >= maxBytes) data.resize(maxBytes - 1);
    return data;
  }
  bool deleteKey(Hive hive, const std::string& path) override {
    record("delete", hive, path);
    const std::string k = key(hive, path);
    if (failing("delete", path) || !keys_.count(k)) return false;
    for (const std::string& other : keys_)
      if (other.size() > k.size() && other.compare(0, k.size() + 1, k + "\\") == 0) return false;  // has subkeys
    keys_.erase(k);
    values_.erase(k);
    return true;
  }

  // Test set-up and inspection.
  void failOn(const std::string& op, const std::string& path) { failures_.insert(op + "|" + common::toLowerAscii(path)); }
  bool hasKey(Hive hive, const std::string& path) const { return keys_.count(key(hive, path)) > 0; }
  std::optional<std::string> value(Hive hive, const std::string& path, const std::string& name) const {
    auto k = values_.find(key(hive, path));
    if (k == values_.end()) return std::nullopt;
    auto v = k->second.find(common::toLowerAscii(name));
    if (v == k->second.end()) return std::nullopt;
    return v->second;
  }
  std::size_t keyCount() const { return keys_.size(); }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  static std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
      if (c == '\\') {
        if (!part.empty()) parts.push_back(part);
        part.clear();
      } else {
        part += c;
      }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
  }
  static std::string key(Hive hive, const std::string& path) {
    return std::to_string(static_cast<int>(hive)) + ":" + common::toLowerAscii(path);
  }
  void record(const char* op, Hive hive, const std::string& path, const std::string& name = {},
              const std::string& data = {}) {
    calls_.push_back({op, hive, path, name, data});
  }
  bool failing(const std::string& op, const std::string& path) const {
    return failures_.count(op + "|" + common::toLowerAscii(path)) > 0;
  }

  std::set<std::string> keys_;  // "hive:lower-case path"
  std::map<std::string, std::map<std::string, std::string>> values_;
  std::set<std::string> failures_;
  std::vector<Call> calls_;
};

}  // namespace platform
