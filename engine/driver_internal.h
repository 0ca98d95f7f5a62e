// The tag loop in either of its two ways of walking a page, for tests that
// check the fast walk against the straightforward one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/context.h"
#include "engine/script_collection.h"

namespace engine {

enum class ScanMode {
  Fast,            // jumps from tag to tag and remembers failed end-tag searches
  Straightforward  // steps with advance everywhere and searches afresh each time
};

// Receives, while the tag loop runs, the front part of the converted page
// that nothing can change any more: everything before the place where the
// script reference may still go, but the last byte. A page whose output is
// many times its size so need not be held whole in memory.
class OutputSink {
 public:
  explicit OutputSink(std::size_t threshold) : threshold_(threshold) {}
  virtual ~OutputSink() = default;
  // The output is handed on once it holds more than this many bytes.
  std::size_t threshold() const { return threshold_; }
  virtual void write(std::string_view text) = 0;

 private:
  std::size_t threshold_;
};

// The output a converted page file holds in memory before handing it on: a
// fixed window, so that its memory is reused from part to part.
constexpr std::size_t kPageFileWindow = 256 * 1024;

// With a sink, output receives only what was not handed to the sink.
int convertTextWith(ConversionContext& context, const char* input, std::string* output, ScriptCollection* scripts,
                    const char* destPath, ScanMode mode, OutputSink* sink = nullptr);

}  // namespace engine
