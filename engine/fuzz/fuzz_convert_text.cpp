// Fuzz target: the whole in-memory conversion of one page, without and with
// property files (the first input byte chooses), writing side files into a
// scratch folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "context.h"
#include "driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string dest = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tw-fuzz-page.htm";
  }();
  engine::ConversionContext context;
  context.useOdsFiles = data[0] & 1;
  context.clock = [] { return std::time_t(0); };
  std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
  page = page.c_str();  // the engine converts NUL-terminated text
  context.sourceSize = static_cast<std::uint32_t>(page.size());
  context.inputLength = context.sourceSize;
  engine::ScriptCollection scripts(context.sourceSize);
  std::string output;
  engine::convertText(context, page.c_str(), &output, &scripts, dest.c_str());
  return 0;
}
