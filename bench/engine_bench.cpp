// Engine throughput in memory (no file I/O), beside three baselines measured
// in the same run: a plain memcpy of the page; a memchr scan that walks the
// page from "<" to "<" and copies the runs between tags into an output buffer;
// and a 32-byte vector walk that also tests each tag's first letter against
// the tags the engine handles: what a converter must do at least to a page
// it leaves as it is (see bench/conversion.h).
// The engine is timed with its output held whole (convertText) and handed on
// in parts as convertFile does, to a sink that forgets it.
//
//   engine_bench [MB...]        sizes of the generated pages (default 1 10)
//   engine_bench --files F...   real pages read from disk instead, converted
//                               one by one and also joined into one page
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/conversion.h"
#include "bench/pages.h"

namespace {

using Clock = std::chrono::steady_clock;

// Best of `runs` timings of f, in seconds.
double bestSeconds(int runs, const std::function<void()>& f) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

volatile std::size_t sink;

using Pages = std::vector<std::string>;

std::size_t totalSize(const Pages& pages) {
  std::size_t total = 0;
  for (const std::string& page : pages) total += page.size();
  return total;
}

double timeMemcpy(const Pages& pages, int runs) {
  std::string out;
  return bestSeconds(runs, [&] {
    for (const std::string& page : pages) {
      out.resize(page.size());
      std::memcpy(out.data(), page.data(), page.size());
      sink = sink + static_cast<unsigned char>(out[page.size() / 2]);
    }
  });
}

double timeVectorWalk(const Pages& pages, int runs) {
  std::string out;
  return bestSeconds(runs, [&] {
    for (const std::string& page : pages) sink = sink + bench::vectorWalk(page, out) + out.size();
  });
}

double timeMemchrScan(const Pages& pages, int runs) {
  std::string out;
  return bestSeconds(runs, [&] {
    for (const std::string& page : pages) sink = sink + bench::memchrScan(page, out) + out.size();
  });
}

// Each page is converted on its own, as the converters do, with the output
// held whole or (handOn) handed on in parts as convertFile does.
double timeEngine(const Pages& pages, int runs, bool handOn, std::size_t* outputSize = nullptr) {
  return bestSeconds(runs, [&] {
    std::size_t total = 0;
    for (const std::string& page : pages) total += bench::convertPage(page, handOn);
    if (outputSize) *outputSize = total;
  });
}

void report(const std::string& name, const Pages& pages, int runs) {
  const double mb = static_cast<double>(totalSize(pages)) / 1e6;
  std::size_t outputSize = 0;
  const double copy = timeMemcpy(pages, runs);
  const double scan = timeMemchrScan(pages, runs);
  const double walk = timeVectorWalk(pages, runs);
  const double conv = timeEngine(pages, runs, false, &outputSize);
  const double handing = timeEngine(pages, runs, true);
  std::printf("%-22s %8.2f MB  engine %8.1f MB/s  memchr-scan %8.1f MB/s  vector-walk %8.1f MB/s  memcpy %8.1f MB/s  "
              "engine/scan %.2f  engine/walk %.2f  out %.2f MB  handing on %8.1f MB/s\n",
              name.c_str(), mb, mb / conv, mb / scan, mb / walk, mb / copy, scan / conv, walk / conv,
              static_cast<double>(outputSize) / 1e6, mb / handing);
}

// Time of the page doubled over time of the page: near 2 for a linear engine.
// With the output held whole, the time includes the kernel mapping ever
// larger fresh output buffers; handed on, the output's memory is reused.
void reportScaling(const std::string& name, const std::string& once, const std::string& twice, int runs) {
  const double t1 = timeEngine({once}, runs, false);
  const double t2 = timeEngine({twice}, runs, false);
  const double h1 = timeEngine({once}, runs, true);
  const double h2 = timeEngine({twice}, runs, true);
  std::printf("%-22s 2x/1x time ratio %.2f, handing on %.2f (%.2f MB -> %.2f MB)\n", name.c_str(), t2 / t1, h2 / h1,
              static_cast<double>(once.size()) / 1e6, static_cast<double>(twice.size()) / 1e6);
}

std::string readFile(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  std::string text = s.str();
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = 5;
  if (argc > 1 && std::strcmp(argv[1], "--files") == 0) {
    Pages pages;
    std::string corpus;
    for (int i = 2; i < argc; ++i) {
      pages.push_back(readFile(argv[i]));
      corpus += pages.back();
    }
    std::printf("%zu pages\n", pages.size());
    report("files, each a page", pages, runs);
    report("files, as one page", {corpus}, runs);
    return 0;
  }
  std::vector<double> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atof(argv[i]));
  if (sizes.empty()) sizes = {1, 10};
  for (double megabytes : sizes) {
    const std::size_t bytes = static_cast<std::size_t>(megabytes * 1e6);
    const std::string tag = " " + std::to_string(static_cast<int>(megabytes)) + "MB";
    report("plain" + tag, {bench::plainTextPage(bytes)}, runs);
    report("tag-dense" + tag, {bench::tagDensePage(bytes)}, runs);
    report("convertible" + tag, {bench::convertiblePage(bytes)}, runs);
  }
  // From 2 MB on, where a page and its output no longer fit the caches: the
  // step from cache to memory is not the engine's.
  const std::size_t base = std::max<std::size_t>(static_cast<std::size_t>(sizes.front() * 1e6), 2000000);
  reportScaling("plain", bench::plainTextPage(base), bench::plainTextPage(base * 2), runs);
  reportScaling("tag-dense", bench::tagDensePage(base), bench::tagDensePage(base * 2), runs);
  reportScaling("convertible", bench::convertiblePage(base), bench::convertiblePage(base * 2), runs);
  return 0;
}
