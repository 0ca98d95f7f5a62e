// A batch that writes nothing: a file system that only pretends to create
// folders and copy files, and a converter that only pretends to convert. The
// batch walks its selection as it would, makes the same decisions (what is
// copied, kept, backed up, converted) and reports them.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "engine/context.h"
#include "platform/file_system.h"

namespace morvane {

class DryRunFileSystem : public platform::FileSystem {
 public:
  explicit DryRunFileSystem(platform::FileSystem& real) : real_(real) {}

  // What a pretended write leaves behind: path exists from now on.
  void pretendWritten(const std::string& path);

  bool isDirectory(const std::string& path) override;
  bool pathExists(const std::string& path) override;
  bool canOpenForReading(const std::string& path) override;
  platform::FileKind kindOf(const std::string& path) override;
  platform::IoStatus copyFile(const std::string& source, const std::string& target) override;
  platform::CreateResult createDirectory(const std::string& path) override;
  platform::IoStatus listDirectory(const std::string& path, std::vector<std::string>& names) override {
    return real_.listDirectory(path, names);
  }
  // What is pretended never shows in a real listing: the real kinds hold.
  platform::IoStatus listEntries(const std::string& path, std::vector<std::string>& names,
                                 std::vector<platform::FileKind>& kinds) override {
    return real_.listEntries(path, names, kinds);
  }
  char separator() const override { return real_.separator(); }
  bool namesIgnoreCase() const override { return real_.namesIgnoreCase(); }
  std::string canonicalPath(const std::string& path) override { return real_.canonicalPath(path); }
  std::string directoryIdentity(const std::string& path) override { return real_.directoryIdentity(path); }

 private:
  std::string key(const std::string& path) const;
  platform::FileSystem& real_;
  std::set<std::string> folders_;  // created, by key
  std::set<std::string> files_;    // written, by key
};

// Converts source into target with the context it is given; 1 for success.
using PageConverter = std::function<int(engine::ConversionContext&, const char*, const char*)>;

// Pretends to convert a page: a page the engine would read is taken as
// converted (its page and script file then exist in files); one it would
// refuse fails with the engine's reason.
PageConverter pretendConverter(DryRunFileSystem& files);

}  // namespace morvane
