// Time and memory of the conversion on hostile pages. For each family, a page
// of n units and one of 2n units: a linear engine doubles its time (ratio near
// 2) and its peak heap stays a small multiple of the page. The time is given
// for the conversion in memory with the output held whole, whose fresh
// buffers of many megabytes the kernel maps page by page (and glibc hands
// out afresh above 32 MB), and with the output handed on in parts as
// convertFile does; the peak heap for the conversion in memory and from file
// to file (page included), and for the latter also the growth of resident
// memory (bytes really used; reserved but untouched memory does not count).
//
//   hostile_bench [MB]      size of the smaller page of every family (default
//                           4): all pages then stand in the same part of the
//                           memory system, past the processor's own caches
//   hostile_bench --units N N units in the smaller page instead
#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <new>
#include <string>

#include "bench/conversion.h"
#include "engine/context.h"
#include "engine/driver.h"

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

// Best time of a memchr scan from "<" to "<" that copies the runs between
// them: what the memory system alone makes of doubling the page.
double scanSeconds(const std::string& page) {
  double best = 1e30;
  double total = 0;
  std::string out;
  for (int run = 0; run < 3 || (total < 0.2 && run < 1000); ++run) {
    const auto start = std::chrono::steady_clock::now();
    bench::memchrScan(page, out);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
  }
  return best;
}

// Converts the page in memory, with the output held whole or, with handOn,
// handed on in parts as convertFile does.
Measure convert(const std::string& page, bool handOn) {
  double best = 1e30;
  std::size_t peak = 0;
  // Best of at least 3 runs, and of more while they add up to under 0.2 s:
  // a page that converts in microseconds needs many runs for a steady ratio.
  double total = 0;
  for (int run = 0; run < 3 || (total < 0.2 && run < 1000); ++run) {
    const std::size_t before = gInUse.load();
    gPeak = before;
    const auto start = std::chrono::steady_clock::now();
    bench::convertPage(page, handOn);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
    peak = std::max(peak, gPeak.load() - before);
  }
  return {best, peak};
}

// Peak heap of converting the page from a file into a file, as the converters
// do: the output is written while it is converted.
struct FilePeak {
  std::size_t heap;      // peak bytes allocated
  std::size_t resident;  // growth of the resident memory: bytes really used
};

// The pages of memory the process holds now.
std::size_t residentBytes() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// The most memory the process has held since its peak was last reset.
std::size_t peakResidentBytes() {
  std::size_t kilobytes = 0;
  if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      if (std::sscanf(line, "VmHWM: %zu kB", &kilobytes) == 1) break;
    }
    std::fclose(f);
  }
  return kilobytes * 1024;
}

FilePeak convertFilePeak(const std::string& page) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tw-hostile-bench";
  std::filesystem::create_directories(dir);
  const std::string source = (dir / "page.htm").string();
  const std::string dest = (dir / "out.htm").string();
  std::ofstream(source, std::ios::binary) << page;
  FilePeak peak{0, 0};
  // The resident growth is measured in a child process of its own, whose
  // peak (ru_maxrss) nothing before the conversion has raised.
  int pipeEnds[2];
  if (pipe(pipeEnds) == 0) {
    const pid_t child = fork();
    if (child == 0) {
      // The memory the parent kept is given back and the peak reset, so that
      // only what the conversion touches counts.
      close(pipeEnds[0]);
      malloc_trim(0);
      if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
      }
      const std::size_t start = residentBytes();
      engine::ConversionContext context;
      context.clock = [] { return std::time_t(0); };
      engine::convertFile(context, source.c_str(), dest.c_str());
      const std::size_t grown = peakResidentBytes() - start;
      if (write(pipeEnds[1], &grown, sizeof grown) != static_cast<ssize_t>(sizeof grown)) _exit(1);
      _exit(0);
    }
    close(pipeEnds[1]);
    if (child > 0 && read(pipeEnds[0], &peak.resident, sizeof peak.resident) != sizeof peak.resident) peak.resident = 0;
    close(pipeEnds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
  }
  engine::ConversionContext context;
  context.clock = [] { return std::time_t(0); };
  const std::size_t before = gInUse.load();
  gPeak = before;
  engine::convertFile(context, source.c_str(), dest.c_str());
  peak.heap = gPeak.load() - before;
  std::filesystem::remove_all(dir);
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  const bool byUnits = argc > 2 && std::strcmp(argv[1], "--units") == 0;
  const double megabytes = !byUnits && argc > 1 ? std::atof(argv[1]) : 4.0;
  // Freed memory stays with the process to be used again, as the engine
  // bench's baselines keep their buffers: otherwise glibc maps buffers above
  // its threshold afresh and unmaps them on release, and the time of a page
  // depends on which of its buffers happen to cross that threshold.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
  std::printf("%-24s %8s %8s %6s %10s %11s %10s %10s %10s\n", "page", "MB (n)", "ms (n)", "2n/n", "handing on",
              "memchr scan", "peak/page", "file peak", "file rss");
  for (const Family& f : kFamilies) {
    // Units for the size asked for, from the size of a small page.
    const std::size_t units =
        byUnits ? std::strtoul(argv[2], nullptr, 10)
                : std::max<std::size_t>(1, static_cast<std::size_t>(megabytes * 1e6 * 1000 / f.make(1000).size()));
    const std::string once = f.make(units);
    const std::string twice = f.make(units * 2);
    const Measure a = convert(once, false);
    const Measure b = convert(twice, false);
    const double handed = convert(twice, true).seconds / convert(once, true).seconds;
    const double scanned = scanSeconds(twice) / scanSeconds(once);
    const FilePeak file = convertFilePeak(twice);
    const double size = static_cast<double>(twice.size());
    std::printf("%-24s %8.2f %8.2f %6.2f %10.2f %11.2f %10.2f %10.2f %10.2f\n", f.name, once.size() / 1e6,
                a.seconds * 1e3, b.seconds / a.seconds, handed, scanned, static_cast<double>(b.peakBytes) / size,
                static_cast<double>(file.heap) / size, static_cast<double>(file.resident) / size);
  }
  return 0;
}
