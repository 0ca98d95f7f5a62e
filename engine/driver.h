// Entry of the page conversion engine: one call converts one HTML page.
#pragma once

#include <string>

#include "engine/context.h"
#include "engine/script_collection.h"

namespace engine {

// Converts the file sourcePath into destPath and writes its script file beside
// it. Returns 1 for success and 0 for failure; afterwards context.appendix
// tells whether the run added conversion comments.
int convertFile(ConversionContext& context, const char* sourcePath, const char* destPath);

// The tag loop over a NUL-terminated input text. output receives the converted
// page; scripts is the caller's collection. destPath, when given, is first
// copied into context.destPath. Returns 1 when the loop ran, 0 when an argument
// is missing, the destination path does not fit, or the pre-pass fails.
int convertText(ConversionContext& context, const char* input, std::string* output,
                ScriptCollection* scripts, const char* destPath);

// The pre-pass: counts object and input start tags, collects script text and
// BODY handlers, and creates the output buffer (reserved to its budget).
// Returns 1 when the output buffer was created.
int prescanDocument(ConversionContext& context, const char* input, ScriptCollection* scripts,
                    std::string* output);

}  // namespace engine
