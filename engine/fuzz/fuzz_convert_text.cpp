// Fuzz target: the whole in-memory conversion of one page, without and with
// property files (the first input byte chooses), writing side files into a
// scratch folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/context.h"
#include "engine/driver.h"
#include "engine/driver_internal.h"

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
  // The fast walk must convert exactly as the straightforward one does.
  std::string outputs[2];
  std::string texts[2];
  std::string appendices[2];
  const engine::ScanMode modes[2] = {engine::ScanMode::Fast, engine::ScanMode::Straightforward};
  for (int i = 0; i < 2; ++i) {
    engine::ScriptCollection scripts(context.sourceSize);
    engine::convertTextWith(context, page.c_str(), &outputs[i], &scripts, dest.c_str(), modes[i]);
    if (const engine::ScriptEntry* entry = scripts.entry(0)) texts[i] = entry->language + "|" + entry->text;
    appendices[i] = context.appendix.value_or("(none)");
  }
  if (outputs[0] != outputs[1] || texts[0] != texts[1] || appendices[0] != appendices[1]) std::abort();
  return 0;
}
