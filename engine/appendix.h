// The conversion comments of a run: one line per change the engine reports
// (a size it added to an object, a size it replaced), collected in
// context.appendix and written after the converted page.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/context.h"

namespace engine {

// The description of an object that has neither NAME nor ID.
extern const char kUnnamedObject[];

// Appends "\n<!-- ** <time> ** Tarnwick conversion added "<text>" for
// <description> -->" to the context's appendix, creating it on first use.
// Nothing for an empty text; an empty description is kUnnamedObject. The time
// comes from context.clock; one formatted stamp serves every comment of the
// same second.
void appendConversionComment(ConversionContext& context, std::string_view text, std::string_view description);

// The appendix as it was before an object, so that an object left unchanged
// reports nothing: restore takes back every comment added since.
class AppendixSnapshot {
 public:
  explicit AppendixSnapshot(const ConversionContext& context)
      : existed_(context.appendix.has_value()), length_(existed_ ? context.appendix->size() : 0) {}
  void restore(ConversionContext& context) const {
    if (!existed_) {
      context.appendix.reset();
    } else if (context.appendix) {
      context.appendix->resize(length_);
    }
  }

 private:
  bool existed_;
  std::size_t length_;
};

}  // namespace engine
