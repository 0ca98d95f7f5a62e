// Fuzz target: the whole in-memory conversion of one page, without and with
// property files (the first input byte chooses), writing side files into a
// scratch folder.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/context.h"
#include "engine/driver.h"
#include "engine/testing/reference_walk.h"
#include "testing/exact_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string dest = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tw-fuzz-page.htm";
  }();
  engine::ConversionContext context;
  context.useOdsFiles = data[0] & 1;
  context.clock = [] { return std::time_t(0); };
  // The page up to its first NUL (the engine converts NUL-terminated text), in
  // a buffer of its exact size: a read past its end is reported.
  const testing_support::ExactText page =
      testing_support::ExactText::upToNul(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  context.sourceSize = page.size();
  context.inputLength = context.sourceSize;
  // The product's walk must convert exactly as the straightforward one does.
  std::string outputs[2];
  std::string texts[2];
  std::string appendices[2];
  for (int i = 0; i < 2; ++i) {
    engine::ScriptCollection scripts(context.sourceSize);
    if (i == 0) {
      engine::convertText(context, page.c_str(), &outputs[i], &scripts, dest.c_str());
    } else {
      engine::testing::convertTextStraightforward(context, page.c_str(), &outputs[i], &scripts, dest.c_str());
    }
    if (const engine::ScriptEntry* entry = scripts.entry(0)) texts[i] = entry->language + "|" + entry->text;
    appendices[i] = context.appendix.value_or("(none)");
  }
  if (outputs[0] != outputs[1] || texts[0] != texts[1] || appendices[0] != appendices[1]) std::abort();
  return 0;
}
