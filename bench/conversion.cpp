#include "bench/conversion.h"

#include <cstring>
#include <ctime>
#include <string_view>

#include "engine/context.h"
#include "engine/destination.h"
#include "engine/tag_loop.h"

namespace bench {

namespace {

class DiscardingSink : public engine::OutputSink {
 public:
  DiscardingSink() : OutputSink(engine::kPageFileWindow) {}
  void write(std::string_view text) override { handed += text.size(); }
  std::size_t handed = 0;
};

}  // namespace

std::size_t convertPage(const std::string& page, bool handOn) {
  engine::ConversionContext context;
  context.clock = [] { return std::time_t(0); };
  context.sourceSize = static_cast<std::uint32_t>(page.size());
  context.inputLength = context.sourceSize;
  engine::ScriptCollection scripts(context.sourceSize);
  std::string output;
  DiscardingSink discard;
  const engine::Destination destination = *engine::Destination::of("bench.htm");
  engine::runTagLoop(context, page.c_str(), page.c_str() + page.size(), destination, output, scripts,
                     handOn ? &discard : nullptr);
  return discard.handed + output.size();
}

std::size_t memchrScan(const std::string& page, std::string& out) {
  out.clear();
  out.reserve(page.size() * 2 + 1024);
  const char* p = page.data();
  const char* end = p + page.size();
  std::size_t tags = 0;
  while (p < end) {
    const char* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
    if (!lt) lt = end;
    out.append(p, static_cast<std::size_t>(lt - p));
    if (lt == end) break;
    out += '<';
    ++tags;
    p = lt + 1;
  }
  return tags;
}

}  // namespace bench
