// Golden folders: a case folder holds a page and the exact files that
// converting it must write. One runner checks every golden folder alike: the
// output folder holds exactly the expected files, each byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "testing/files.h"

namespace testing_support {

// A file a conversion writes (its name in the output folder) and the file of
// the case folder that holds its expected bytes.
struct GoldenFile {
  std::string written;
  std::string expected;
};

// Texts that stand in expected files for what differs from run to run (such
// as "@STAMP@" for the time of conversion comments), each with its value in
// this run.
using Placeholders = std::vector<std::pair<std::string, std::string>>;

inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Checks that outputFolder holds exactly the files named in files (no other,
// none missing) and that each equals its expected file in caseFolder with the
// placeholders' values put in. With TW_UPDATE_GOLDEN=1 in the environment the
// expected files are first rewritten from the output, placeholders put back:
// review the difference before committing it.
inline void expectGoldenFiles(const std::filesystem::path& caseFolder, const std::filesystem::path& outputFolder,
                              const std::vector<GoldenFile>& files, const Placeholders& placeholders = {}) {
  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(outputFolder)) {
    if (entry.is_regular_file()) written.insert(entry.path().filename().string());
  }
  std::set<std::string> wanted;
  for (const GoldenFile& file : files) wanted.insert(file.written);
  EXPECT_EQ(wanted, written) << "files written into " << outputFolder.string();

  const bool update = std::getenv("TW_UPDATE_GOLDEN") != nullptr;
  for (const GoldenFile& file : files) {
    SCOPED_TRACE(file.written);
    const std::string actual = readFile(outputFolder / file.written);
    if (update && written.count(file.written)) {
      std::string expected = actual;
      for (const auto& [placeholder, value] : placeholders) expected = replaceAll(expected, value, placeholder);
      writeFile(caseFolder / file.expected, expected);
    }
    ASSERT_TRUE(std::filesystem::exists(caseFolder / file.expected)) << (caseFolder / file.expected).string();
    std::string expected = readFile(caseFolder / file.expected);
    for (const auto& [placeholder, value] : placeholders) expected = replaceAll(expected, placeholder, value);
    EXPECT_EQ(expected, actual);
  }
}

}  // namespace testing_support
