#include "bench/conversion.h"

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string_view>

#include "engine/byte_vectors.h"
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

namespace {

// The tag names the engine looks at begin with one of these (either case).
bool mayBeHandled(unsigned char c) {
  switch (c | 0x20) {
    case 'o': case 's': case 'e': case 'b': case 'i': case 'f': return true;
    default: return c == '/';
  }
}

}  // namespace

std::size_t vectorWalk(const std::string& page, std::string& out) {
  // 32 bytes a step, as two 16-byte vectors: the width every x86-64 (and
  // most other) processors compare in one instruction without extra flags.
  out.resize(page.size());
  const char* p = page.data();
  const std::size_t n = page.size();
  char* o = out.data();
  std::size_t candidates = 0;
  std::size_t copied = 0;  // bytes of the page already in out
  // The "<" at offset at goes out with the run before it; its letter is tested.
  auto tag = [&](std::size_t at) {
    std::memcpy(o + copied, p + copied, at + 1 - copied);
    copied = at + 1;
    if (at + 1 < n && mayBeHandled(static_cast<unsigned char>(p[at + 1]))) ++candidates;
  };
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    std::uint32_t mask = engine::bytesEqual16(p + i, '<') | engine::bytesEqual16(p + i + 16, '<') << 16;
    while (mask) {
      tag(i + static_cast<std::size_t>(__builtin_ctz(mask)));
      mask &= mask - 1;
    }
  }
  for (; i < n; ++i) {
    if (p[i] == '<') tag(i);
  }
  std::memcpy(o + copied, p + copied, n - copied);
  return candidates;
}

}  // namespace bench
