#include "shell_extension/core/dry_run.h"

#include "common/ascii.h"
#include "engine/text_file.h"
#include "platform/safe_file.h"
#include "shell_extension/core/batch_paths.h"

namespace morvane {

std::string DryRunFileSystem::key(const std::string& path) const {
  const std::string trimmed = withoutTrailingSeparators(path, real_.separator());
  return real_.namesIgnoreCase() ? common::toLowerAscii(trimmed) : trimmed;
}

void DryRunFileSystem::pretendWritten(const std::string& path) { files_.insert(key(path)); }

bool DryRunFileSystem::isDirectory(const std::string& path) {
  return folders_.count(key(path)) > 0 || real_.isDirectory(path);
}

bool DryRunFileSystem::pathExists(const std::string& path) {
  return folders_.count(key(path)) > 0 || files_.count(key(path)) > 0 || real_.pathExists(path);
}

bool DryRunFileSystem::canOpenForReading(const std::string& path) {
  return files_.count(key(path)) > 0 || real_.canOpenForReading(path);
}

platform::FileKind DryRunFileSystem::kindOf(const std::string& path) {
  if (folders_.count(key(path))) return platform::FileKind::Directory;
  if (files_.count(key(path))) return platform::FileKind::Regular;
  return real_.kindOf(path);
}

// A copy would succeed when its source is a regular file (the real copy
// refuses anything else before it writes).
platform::IoStatus DryRunFileSystem::copyFile(const std::string& source, const std::string& target) {
  if (kindOf(source) != platform::FileKind::Regular)
    return platform::IoStatus::failure("is not a regular file").about("cannot read", source);
  pretendWritten(target);
  return platform::IoStatus();
}

platform::CreateResult DryRunFileSystem::createDirectory(const std::string& path) {
  if (pathExists(path)) return platform::CreateResult::AlreadyExists;
  std::string parent = withoutTrailingSeparators(path, real_.separator());
  if (!cutToParentFolder(parent, real_.separator()) || !isDirectory(parent)) return platform::CreateResult::Failed;
  folders_.insert(key(path));
  return platform::CreateResult::Created;
}

// The source is read as the engine reads it, so that a page the engine
// would refuse (not a regular file, too large, unreadable, holding a NUL
// byte) fails the dry run too.
PageConverter pretendConverter(DryRunFileSystem& files) {
  return [&files](engine::ConversionContext& context, const char* source, const char* target) {
    std::string page;
    const platform::IoStatus read = platform::readWholeFile(*context.fileIo, source, engine::kMaxPageBytes, page);
    if (!read) {
      context.failure = read.describe();
      return 0;
    }
    if (page.find('\0') != std::string::npos) {
      context.failure = "cannot convert '" + std::string(source) + "': holds a NUL byte";
      return 0;
    }
    files.pretendWritten(target);
    std::string script = target;
    if (replaceExtension(script, "AXS")) files.pretendWritten(script);
    return 1;
  };
}

}  // namespace morvane
