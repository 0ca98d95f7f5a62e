// The tag loop in either of its two ways of walking a page, for tests that
// check the fast walk against the straightforward one.
#pragma once

#include <string>

#include "context.h"

namespace engine {

enum class ScanMode {
  Fast,            // jumps from tag to tag and remembers failed end-tag searches
  Straightforward  // steps with advance everywhere and searches afresh each time
};

int convertTextWith(ConversionContext& context, const char* input, std::string* output, ScriptCollection* scripts,
                    const char* destPath, ScanMode mode);

}  // namespace engine
