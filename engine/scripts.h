// SCRIPT elements: collection of VBScript into the page's script file,
// cleaning of JavaScript blocks, and the Netscape guard that writes markup only
// in browsers whose name contains "netscape".
//
// Element text, as extractElement yields it, is everything after the name
// "script" in the start tag up to the byte before the "<" of the end tag: the
// rest of the start tag, its ">", then the body.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// Every Netscape guard carries this comment line; a JavaScript block that holds
// it was written by an earlier conversion and is removed.
extern const char kGuardMarker[];

// Reads FOR, EVENT and LANGUAGE from the start tag in elementText (each at most
// 255 bytes, empty when absent). Returns the body (the position behind the
// start tag's ">") when LANGUAGE is non-empty, else null.
const char* readScriptAttributes(const char* elementText, std::string* language, std::string* forName,
                                 std::string* eventName);

// Converts one element: out is emptied, then a VBScript body is converted into
// it (answer 0), a JavaScript block is rewritten (answer: whether the element
// is to be replaced by out), any other language answers 0.
int convertScript(const char* elementText, const char* body, std::string& out, const char* language,
                  const char* forName, const char* eventName);

// Appends the VBScript text of body to out: an event-bound block (forName and
// eventName both non-empty) becomes one "Sub FOR_EVENT" per procedure-sized
// chunk, any other block is copied. Trailing LFs become exactly "\n\n" and the
// HTML comment markers hiding the script are blanked.
void convertVBScriptBody(const char* body, const char* forName, const char* eventName, std::string& out);

// End of the chunk that starts at position (in script text starting at
// textStart): just behind the keyword of the first "End Sub" / "End Function"
// outside strings and comments, or the end of the text.
const char* findProcedureEnd(const char* position, const char* textStart);

// 1 when "end " (one SPACE), optional whitespace, "sub" or "function" and one
// whitespace byte stand at position.
int isProcedureEnd(const char* position);

// In place: a leading "<!--" (after whitespace) becomes four spaces and the
// last "-->" three spaces.
void blankCommentMarkers(std::string& text);

// Answers 1 when the JavaScript element is to be replaced by out: by nothing
// when its body holds the guard marker, or by the element with "//" put in
// front of a closing "-->" that stands alone on its line. Else 0.
int rewriteJavaScriptBlock(const char* elementText, const char* body, std::string& out);

// out = the Netscape guard around markup (which is written into a single-quoted
// JavaScript string, so its double quotes are already escaped); empty markup
// gives an empty out. The guard begins and ends with a LF.
void writeNetscapeGuard(std::string_view markup, std::string& out);
// The same guard appended to out.
void appendNetscapeGuard(std::string_view markup, std::string& out);
// The text of that guard before and after its markup, for writers that put
// the guard together themselves.
struct NetscapeGuardText {
  std::string_view opening;
  std::string_view closing;
};
const NetscapeGuardText& netscapeGuardText();

}  // namespace engine
