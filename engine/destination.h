// Where a converted page goes, and the names of the files written beside it.
#pragma once

#include <optional>
#include <string>

namespace engine {

// A destination path, split once into the folder and the base name that
// every side file (script file, property files) is named from.
struct Destination {
  std::string path;
  // Everything up to and including the last separator; empty for a bare name.
  std::string directory;
  // The file name without its extension (from its last "."); the whole file
  // name when it has no ".".
  std::string baseName;

  // The destination at path; none when path is null or does not fit a path
  // buffer (kPathCapacity bytes, its NUL included), so that no side-file name
  // is ever built from a path the platform cannot take.
  static std::optional<Destination> of(const char* path);

  // The page's script file: its base name with ".AXS" (the only script
  // language the collection keeps is VBScript), alone or with its folder.
  std::string scriptFileName() const { return baseName + ".AXS"; }
  std::string scriptFilePath() const { return directory + scriptFileName(); }
};

}  // namespace engine
