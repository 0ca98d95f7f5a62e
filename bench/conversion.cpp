#include "bench/conversion.h"

#include <cstdint>
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
  typedef unsigned char Bytes __attribute__((vector_size(16)));
  out.resize(page.size());
  const char* p = page.data();
  const std::size_t n = page.size();
  char* o = out.data();
  std::size_t candidates = 0;
  std::size_t copied = 0;  // bytes of the page already in out
  Bytes lt;
  for (int k = 0; k < 16; ++k) lt[k] = '<';
  // The "<" at offset at goes out with the run before it; its letter is tested.
  auto tag = [&](std::size_t at) {
    std::memcpy(o + copied, p + copied, at + 1 - copied);
    copied = at + 1;
    if (at + 1 < n && mayBeHandled(static_cast<unsigned char>(p[at + 1]))) ++candidates;
  };
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    Bytes low, high;
    std::memcpy(&low, p + i, 16);
    std::memcpy(&high, p + i + 16, 16);
    const Bytes equalLow = low == lt, equalHigh = high == lt;  // 0xFF where a "<" stands
    std::uint64_t words[4];
    std::memcpy(words, &equalLow, 16);
    std::memcpy(words + 2, &equalHigh, 16);
    if (!(words[0] | words[1] | words[2] | words[3])) continue;
    // One bit per byte, as a movemask gives it, from the top bit of each.
    std::uint32_t mask = 0;
    for (int w = 0; w < 4; ++w) {
      mask |= static_cast<std::uint32_t>(((words[w] & 0x8080808080808080ull) * 0x0002040810204081ull) >> 56) << (8 * w);
    }
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
