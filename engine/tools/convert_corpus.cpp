// Converts every page of a folder, the same way on every platform, so that the
// results of two builds can be compared byte for byte.
//
//   convert_corpus SOURCE_DIR OUT_DIR     converts SOURCE_DIR/*.htm into
//                                         OUT_DIR/plain/ and, with property
//                                         files, OUT_DIR/ods/
//   convert_corpus --generate DIR COUNT   writes COUNT generated pages
//
// Conversion comments carry the time 0 (local time: run with TZ=UTC).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/context.h"
#include "engine/driver.h"
#include "engine/testing/page_generator.h"

namespace fs = std::filesystem;

namespace {

int generate(const char* dir, int count) {
  fs::create_directories(dir);
  engine::corpus::Lcg rng(20261208u);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "gen%04d.htm", i);
    std::ofstream f(fs::path(dir) / name, std::ios::binary);
    const std::string page = engine::corpus::generatedPage(rng);
    // Stored with CR LF line ends, as pages written on Windows are.
    for (char c : page) {
      if (c == '\n') f << '\r';
      f << c;
    }
  }
  return 0;
}

int convertAll(const char* sourceDir, const char* outDir) {
  std::vector<fs::path> pages;
  for (const auto& entry : fs::directory_iterator(sourceDir))
    if (entry.is_regular_file() && entry.path().extension() == ".htm") pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  int failures = 0;
  for (const char* variant : {"plain", "ods"}) {
    const fs::path target = fs::path(outDir) / variant;
    fs::create_directories(target);
    engine::ConversionContext context;
    context.clock = [] { return std::time_t(0); };
    context.useOdsFiles = std::strcmp(variant, "ods") == 0;
    for (const fs::path& page : pages) {
      const std::string dest = (target / page.filename()).string();
      const int result = engine::convertFile(context, page.string().c_str(), dest.c_str());
      std::printf("%s %s %d %s\n", variant, page.filename().string().c_str(), result,
                  context.appendix ? "comments" : "-");
      if (result != 1) ++failures;
    }
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) return generate(argv[2], std::atoi(argv[3]));
  if (argc == 3) return convertAll(argv[1], argv[2]);
  std::fprintf(stderr, "usage: convert_corpus SOURCE_DIR OUT_DIR | --generate DIR COUNT\n");
  return 2;
}
