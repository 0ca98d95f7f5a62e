// Fuzz target: class identifier texts through the property-file round trip.
// An identifier that writeOdsFile accepts must read back as the same class;
// one it refuses must leave no file behind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/property_files.h"
#include "testing/exact_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tw-fuzz-class.ODS";
  }();
  const testing_support::ExactText classId =
      testing_support::ExactText::upToNul(std::string_view(reinterpret_cast<const char*>(data), size));
  std::remove(path.c_str());
  if (engine::writeOdsFile(path.c_str(), classId.c_str())) {
    std::string text;
    if (!engine::readOdsClassId(&text, path.c_str())) std::abort();
    if (text.size() != 38 || engine::sameClassId(text.c_str(), classId.c_str()) != 0) std::abort();
  } else if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    std::abort();
  }
  return 0;
}
