// Writes one generated page to a file, for the benchmarks that time the
// converters as whole programs:
//   bench_page KIND MB FILE     KIND: plain, tag-dense or convertible
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/pages.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_page plain|tag-dense|convertible MB FILE\n");
    return 2;
  }
  const std::size_t bytes = static_cast<std::size_t>(std::atof(argv[2]) * 1e6);
  std::string page;
  if (std::strcmp(argv[1], "plain") == 0) page = bench::plainTextPage(bytes);
  else if (std::strcmp(argv[1], "tag-dense") == 0) page = bench::tagDensePage(bytes);
  else if (std::strcmp(argv[1], "convertible") == 0) page = bench::convertiblePage(bytes);
  else {
    std::fprintf(stderr, "bench_page: unknown kind '%s'\n", argv[1]);
    return 2;
  }
  std::FILE* f = std::fopen(argv[3], "wb");
  if (!f || std::fwrite(page.data(), 1, page.size(), f) != page.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "bench_page: cannot write '%s'\n", argv[3]);
    return 1;
  }
  return 0;
}
