// The tag loop walked the straightforward way, for tests and the fuzz target
// to compare the product's walk against: the pre-pass and the loop step with
// advance over every byte, call every tag handler at every "<" and search for
// end tags afresh each time. It converts exactly as convertText does, only
// slower (quadratic on pages full of unclosed elements).
#pragma once

#include <string>

#include "engine/context.h"
#include "engine/script_collection.h"

namespace engine::testing {

// convertText walked the straightforward way.
int convertTextStraightforward(ConversionContext& context, const char* input, std::string* output,
                               ScriptCollection* scripts, const char* destPath);

}  // namespace engine::testing
