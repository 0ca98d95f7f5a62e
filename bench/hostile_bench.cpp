// Time and memory of the conversion on hostile pages. For each family, a page
// of n units and one of 2n units: a linear engine doubles its time (ratio near
// 2) and its peak heap stays a small multiple of the page. The peak is given
// for the conversion in memory (output held whole) and from file to file.
//
//   hostile_bench [UNITS]   units in the smaller page (default 20000)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>

#include "context.h"
#include "driver.h"

// Heap accounting for the whole program: bytes in use and their peak.
namespace {
std::atomic<std::size_t> gInUse{0};
std::atomic<std::size_t> gPeak{0};
}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<std::size_t*>(p) = n;
  const std::size_t now = gInUse += n;
  std::size_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  char* block = static_cast<char*>(p) - 16;
  gInUse -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct Family {
  const char* name;
  std::function<std::string(std::size_t units)> make;
};

std::string repeat(const std::string& unit, std::size_t n) {
  std::string s;
  s.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) s += unit;
  return s;
}

std::string numbered(const std::string& before, const std::string& after, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += before + std::to_string(i) + after;
  return s;
}

const Family kFamilies[] = {
    {"unclosed OBJECT", [](std::size_t n) {
       return numbered("<OBJECT CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" ID=O", ">\n<PARAM NAME=a VALUE=b>\n", n);
     }},
    {"unclosed SCRIPT", [](std::size_t n) { return repeat("<SCRIPT LANGUAGE=\"VBScript\">\nMsgBox 1\n", n); }},
    {"inputs into OnLoad", [](std::size_t n) {
       return "<BODY LANGUAGE=VBScript onLoad=\"MsgBox 0\">\n" + numbered("<INPUT TYPE=text NAME=T", " VALUE=v>\n", n);
     }},
    {"runs of <", [](std::size_t n) { return repeat("<<<<<<<<<<<<<<<<", n); }},
    {"unterminated comments", [](std::size_t n) { return "x" + repeat("<!-- <OBJECT> </SCRIPT> x<!--", n); }},
    {"comments after text", [](std::size_t n) { return repeat("x<!--<OBJECT>--><SCRIPT>", n); }},
    {"long attribute values", [](std::size_t n) {
       const std::string big(n * 8, 'v');
       return "<OBJECT ID=\"" + big + "\" CLASSID=\"" + big + "\" WIDTH=\"" + big + "\"><PARAM NAME=\"" + big +
              "\" VALUE=\"" + big + "\"></OBJECT>\n<INPUT TYPE=text NAME=\"" + big + "\" VALUE=\"" + big + "\">\n";
     }},
    {"huge attribute list", [](std::size_t n) {
       return "<OBJECT " + repeat("a=1 ", n) + "></OBJECT>\n<INPUT TYPE=text " + repeat("b=2 ", n) + ">\n<BODY " +
              repeat("c=3 ", n) + ">\n";
     }},
};

struct Measure {
  double seconds;
  std::size_t peakBytes;
};

Measure convert(const std::string& page) {
  double best = 1e30;
  std::size_t peak = 0;
  // Best of at least 3 runs, and of more while they add up to under 0.2 s:
  // a page that converts in microseconds needs many runs for a steady ratio.
  double total = 0;
  for (int run = 0; run < 3 || (total < 0.2 && run < 1000); ++run) {
    engine::ConversionContext context;
    context.clock = [] { return std::time_t(0); };
    context.sourceSize = static_cast<std::uint32_t>(page.size());
    context.inputLength = context.sourceSize;
    const std::size_t before = gInUse.load();
    gPeak = before;
    const auto start = std::chrono::steady_clock::now();
    {
      engine::ScriptCollection scripts(context.sourceSize);
      std::string output;
      engine::convertText(context, page.c_str(), &output, &scripts, "hostile.htm");
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
    peak = std::max(peak, gPeak.load() - before);
  }
  return {best, peak};
}

// Peak heap of converting the page from a file into a file, as the converters
// do: the output is written while it is converted.
std::size_t convertFilePeak(const std::string& page) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tw-hostile-bench";
  std::filesystem::create_directories(dir);
  const std::string source = (dir / "page.htm").string();
  const std::string dest = (dir / "out.htm").string();
  std::ofstream(source, std::ios::binary) << page;
  engine::ConversionContext context;
  context.clock = [] { return std::time_t(0); };
  const std::size_t before = gInUse.load();
  gPeak = before;
  engine::convertFile(context, source.c_str(), dest.c_str());
  const std::size_t peak = gPeak.load() - before;
  std::filesystem::remove_all(dir);
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t units = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
  std::printf("%-24s %10s %10s %8s %12s %12s\n", "page", "MB (n)", "ms (n)", "2n/n", "peak/page", "file peak");
  for (const Family& f : kFamilies) {
    const std::string once = f.make(units);
    const std::string twice = f.make(units * 2);
    const Measure a = convert(once);
    const Measure b = convert(twice);
    std::printf("%-24s %10.2f %10.2f %8.2f %12.2f %12.2f\n", f.name, once.size() / 1e6, a.seconds * 1e3,
                b.seconds / a.seconds, static_cast<double>(b.peakBytes) / static_cast<double>(twice.size()),
                static_cast<double>(convertFilePeak(twice)) / static_cast<double>(twice.size()));
  }
  return 0;
}
