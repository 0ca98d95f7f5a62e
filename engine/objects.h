// OBJECT conversion: every OBJECT element keeps its markup and gains, just
// before its end tag, an EMBED tag that carries the same control for the
// plug-in browser. The handler itself, handleObjectElement, is declared in
// tag_loop.h; these are its building blocks.
//
// Texts are built from the element's content (everything after the tag name
// "object" up to the "<" of the end tag) as a PendingText: what has been
// written, and the start of the content not yet copied into it.
#pragma once

#include <optional>
#include <string>

#include "context.h"

namespace engine {

// The ActiveX layout control's identifier (its first 42 characters are
// compared) and its size defaults.
extern const char kLayoutControlClassId[];
extern const char kLayoutControlDescription[];
extern const char kUnnamedObject[];

// A text built from a source text: everything written so far, and the first
// byte of the source that has not been copied into it.
struct PendingText {
  std::string text;
  const char* mark = nullptr;
};

// Values read from an OBJECT start tag.
struct ObjectValues {
  std::string objectName;  // the last NAME or ID value; empty when none
  std::string typeValue;   // TYPE; empty when none
  std::string classId;     // CLASSID; empty when none
  std::optional<std::string> width;   // WIDTH, when the tag has one
  std::optional<std::string> height;  // HEIGHT, when the tag has one
  // The whitespace in front of CODEBASE (possibly empty); none without CODEBASE.
  std::optional<std::string> separator;
  int propertyFileFlag = 1;  // cleared by a DATA attribute
};

// Builds the complete replacement of one element, "<OBJECT" ... "</OBJECT>",
// into result and fills objectName. indent is the indentation captured in
// front of the element. Writes the object's property file when the context
// asks for them. Returns 0 when the object must be left unchanged (its
// property file cannot be named or written); the appendix is then as it was.
int buildObjectMarkup(ConversionContext& context, const std::string& content, std::string* result,
                      const std::string& indent, std::string* objectName);

// Walks the start tag's attributes from the content's first byte to its ">"
// (or the content's end), copying them into the EMBED text in page order with
// DATA written as SRC, ID as NAME and a zero WIDTH/HEIGHT as WIDTH=1/HEIGHT=1.
// Reads values into `values`. Returns the position of the ">" or of the end.
const char* rewriteObjectAttributes(const char* content, PendingText& embed, ObjectValues& values);

// Walks the element's content from position: PARAM elements become
// PARAM_name="value" attributes of the EMBED text, EMBED tags of an earlier
// conversion are cut out of both texts, other tags stay pending. Sets
// isLayoutControl for an ALXPATH parameter or a value with the .alx extension.
// Returns the content's end. ownAttributes is the start of the EMBED text as
// rewriteObjectAttributes built it; an EMBED that closes the element and
// starts with exactly these attributes is also taken as an earlier
// conversion's.
const char* convertObjectParams(const char* position, PendingText& embed, PendingText& object, int& isLayoutControl,
                                const std::string& ownAttributes = std::string());

// Adds a WIDTH and a HEIGHT to the EMBED text when the start tag had none, and
// records a conversion comment for every size added or replaced.
void addSizeDefaults(ConversionContext& context, std::string& embedOut, const std::optional<std::string>& separator,
                     int isLayoutControl, const std::string& description, const std::optional<std::string>& width,
                     const std::optional<std::string>& height);

// Appends "\n<!-- ** <time> ** Tarnwick conversion added "<text>" for
// <description> -->" to the context's appendix, creating it on first use.
// Nothing for an empty text; an empty description is "unnamed object".
void addConversionComment(ConversionContext& context, const std::string& text, const std::string& description);

// 1 when the integer reading of value (as the runtime's atoi reads it) is 0.
int integerReadingIsZero(const std::string& value);

}  // namespace engine
