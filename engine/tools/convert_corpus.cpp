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

#include "context.h"
#include "driver.h"

namespace fs = std::filesystem;

namespace {

// A small generator with the same sequence on every platform.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  std::uint32_t next(std::uint32_t bound) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % bound;
  }

 private:
  std::uint32_t state_;
};

std::string generatedPage(Lcg& rng) {
  static const char* const kFragments[] = {
      "\n", "    ", "text ", "<P>", "</P>\n", "<!-- note -->", "<!--", "-->", "<", ">",
      "<OBJECT ID=\"Label1\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" WIDTH=0>\n",
      "<OBJECT CLASSID=\"clsid:{3472d900-5a27-11cf-8b11-00aa00c00903}\">",
      "<OBJECT CLASSID=\"CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF\" ID=\"Layout1\"\n CODEBASE=\"x.cab\">",
      "<OBJECT DATA=\"movie.ods\" TYPE=\"video/x\" HEIGHT=50>", "    <PARAM NAME=\"Caption\" VALUE=\"Hi\">\n",
      "<PARAM NAME=\"ALXPATH\" VALUE=\"page.alx\">", "<PARAM VALUE=\"nameless\">",
      "<EMBED TYPE=\"application/oleobject\" CLASSID=\"x\">\n", "</OBJECT>\n", "<EMBED SRC=\"old.AXS\" WIDTH=1>",
      "<SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Go()\n  MsgBox \"go\"\nEnd Sub\n-->\n</SCRIPT>\n",
      "<SCRIPT LANGUAGE=\"VBScript\" FOR=\"B1\" EVENT=\"onClick\">\n<!--\n  MsgBox 1\n-->\n</SCRIPT>\n",
      "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\nvar a = 1;\n-->\n</SCRIPT>\n", "<SCRIPT>x</SCRIPT>",
      "<BODY LANGUAGE=\"VBScript\" onLoad=\"MsgBox 0\" onUnload=\"MsgBox 9\">\n",
      "<INPUT TYPE=button NAME=B1 VALUE=\"Go there now\" onClick=\"MsgBox 2\">\n",
      "<INPUT TYPE=checkbox NAME=C1 CHECKED=True>\n", "<INPUT TYPE=text NAME=T1 VALUE=v LANGUAGE=JavaScript>\n",
      "<FORM>", "</FORM>\n", "</BODY>\n", "</HTML>\n"};
  std::string page;
  const std::uint32_t count = 5 + rng.next(60);
  for (std::uint32_t i = 0; i < count; ++i) page += kFragments[rng.next(sizeof kFragments / sizeof kFragments[0])];
  return page;
}

int generate(const char* dir, int count) {
  fs::create_directories(dir);
  Lcg rng(20261208u);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "gen%04d.htm", i);
    std::ofstream f(fs::path(dir) / name, std::ios::binary);
    const std::string page = generatedPage(rng);
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
