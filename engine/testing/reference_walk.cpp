#include "engine/testing/reference_walk.h"

#include <cstring>
#include <optional>

#include "engine/destination.h"
#include "engine/scan.h"
#include "engine/tag_loop.h"

namespace engine::testing {

namespace {

// The pre-pass: at every "<", counts a start tag and lets each handler with a
// pre-pass role collect from the element; steps with advance elsewhere.
void prescan(ConversionContext& context, const char* input, std::size_t length, ScriptCollection& scripts,
             std::string& output) {
  Prescan prescan{scripts, nullptr, nullptr, {}};
  std::size_t counts[kTagHandlerCount] = {};
  const char* p = input;
  while (*p) {
    if (*p != '<') {
      advance(p);
      continue;
    }
    const char* name = p + 1;
    skipSpace(name, 1);
    for (std::size_t i = 0; i < kTagHandlerCount; ++i) {
      if (kTagHandlers[i].outputShare && tagNameFollows(name, kTagHandlers[i].name)) ++counts[i];
    }
    bool consumed = false;
    for (const TagHandler& handler : kTagHandlers) {
      if (!handler.collect || !*p) continue;
      const char* behind = handler.collect(prescan, p);
      if (behind != p) {
        p = behind;
        consumed = true;
      }
    }
    if (!consumed) advance(p);
  }
  context.objectCount = static_cast<std::int32_t>(counts[0]);
  output.clear();
  output.reserve(outputBudget(length, counts));
}

}  // namespace

int convertTextStraightforward(ConversionContext& context, const char* input, std::string* output,
                               ScriptCollection* scripts, const char* destPath) {
  context.appendix.reset();
  context.lastObjectClose.reset();
  context.stampTime.reset();
  if (!input || !output || !scripts) return 0;
  const std::optional<Destination> destination = Destination::of(destPath);
  if (!destination || destination->path.empty()) return 0;
  const std::size_t length = std::strlen(input);
  prescan(context, input, length, *scripts, *output);

  TagLoop loop{context, *scripts, *destination, input, input + length, input, *output, std::nullopt};
  const char* cursor = input;
  const char* formTestedAt = nullptr;  // each FORM tag is counted once
  while (*cursor) {
    const char* iterationStart = cursor;
    if (*cursor == '<') {
      const char* pos = cursor;
      for (const TagHandler& handler : kTagHandlers) pos = handler.handle(loop, pos);
      if (!loop.insertPointFixed) {
        if (const char* behind = findBodyEnd(pos)) {
          flushText(loop.out, loop.mark, pos, pos);
          cursor = behind;
          loop.insertPointFixed = true;
          continue;
        }
      }
      cursor = pos;
      if (cursor != formTestedAt) {
        loop.formDepth += formDelta(cursor);
        formTestedAt = cursor;
      }
    }
    if (cursor == iterationStart) advance(cursor);
  }
  emitScriptReferences(loop);
  flushText(loop.out, loop.mark, loop.inputEnd);
  return 1;
}

}  // namespace engine::testing
