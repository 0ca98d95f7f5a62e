// OBJECT conversion: every OBJECT element keeps its markup and gains, just
// before its end tag, an EMBED tag that carries the same control for the
// plug-in browser. The handler itself, handleObjectElement, is declared in
// tag_loop.h; these are its building blocks.
//
// Texts are built from the element's content (everything after the tag name
// "object" up to the "<" of the end tag): what has been written, and a mark,
// the start of the content not yet copied into it. Values stay views into the
// content, and the texts are buffers reused from object to object, so that
// converting an object allocates nothing.
#pragma once

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/context.h"
#include "engine/destination.h"
#include "engine/scan.h"

namespace engine {

// The ActiveX layout control's identifier (its first 42 characters are
// compared) and its size defaults.
extern const char kLayoutControlClassId[];
extern const char kLayoutControlDescription[];

// A text that grows as a string does, with its appends compiled inline (a
// capacity test and a copy): the EMBED text is written in many small pieces.
// A piece appended must not lie in the buffer itself.
class TextBuffer {
 public:
  TextBuffer() = default;
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  char back() const { return data_[size_ - 1]; }
  std::string_view view() const { return std::string_view(data_.get(), size_); }
  void clear() { size_ = 0; }
  // Room for n bytes in all, so that a text of known size grows at most once.
  void reserve(std::size_t n) {
    if (n > capacity_) grow(n - size_);
  }
  void pop_back() { --size_; }
  void push_back(char c) {
    if (size_ == capacity_) grow(1);
    data_[size_++] = c;
  }
  void append(std::string_view text) {
    if (text.empty()) return;
    if (text.size() > capacity_ - size_) grow(text.size());
    std::memcpy(data_.get() + size_, text.data(), text.size());
    size_ += text.size();
  }
  // Gives the storage back (the text becomes empty).
  void release() {
    data_.reset();
    size_ = capacity_ = 0;
  }

 private:
  void grow(std::size_t extra);  // room for at least extra more bytes
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Appends prefix and the attribute given whole (name=value or name="value"):
// an empty prefix writes one SPACE first unless the text ends in whitespace
// (an empty text does not).
inline void appendAttribute(TextBuffer& out, std::string_view prefix, std::string_view attribute) {
  if (!prefix.empty()) {
    out.append(prefix);
  } else if (out.empty() || !isHtmlSpace(static_cast<unsigned char>(out.back()))) {
    out.push_back(' ');
  }
  out.append(attribute);
}

// Values read from an OBJECT start tag, as views into the content; each one
// only when the tag has it.
struct ObjectFields {
  std::optional<std::string_view> objectName;  // the last NAME or ID value
  std::optional<std::string_view> typeValue;
  std::optional<std::string_view> classId;
  std::optional<std::string_view> width;
  std::optional<std::string_view> height;
  std::optional<std::string_view> separator;  // the whitespace in front of CODEBASE
  bool wantsPropertyFile = true;               // cleared by a DATA attribute
};

// Walks the start tag's attributes from the content's first byte to its ">"
// (or the content's end), copying them into the EMBED text (embedText, with
// the content from embedMark still pending) in page order, with DATA written
// as SRC, ID as NAME and a zero WIDTH/HEIGHT as WIDTH=1/HEIGHT=1. Reads the
// values into fields. Returns the position of the ">" or of the end.
const char* readObjectStartTag(const char* content, TextBuffer& embedText, const char*& embedMark,
                               ObjectFields& fields);

// Walks the element's content from position: PARAM elements become
// PARAM_name="value" attributes of the EMBED text, EMBED tags of an earlier
// conversion are cut out of both texts, other tags stay pending. Each text is
// given as its text and its mark. objectText may hold other text in front of
// the OBJECT text (the handler passes the page so far, which then ends in
// "<OBJECT"). Sets isLayoutControl for an ALXPATH parameter or a value with
// the .alx extension. Returns the content's end.
const char* walkObjectContent(const char* position, TextBuffer& embedText, const char*& embedMark,
                              std::string& objectText, const char*& objectMark, bool& isLayoutControl);

// Cuts the EMBED that an earlier conversion generated for this object out of
// the content (from offset from on), when it stands last in the element: it
// starts with "<EMBED" and ownAttributes, the object's own attributes as this
// conversion writes them, and runs to the content's last ">" (only the page's
// script reference and whitespace may follow, and are cut too). Its text
// holds whatever followed the object's PARAMs, tags and comments included, so
// only its place tells where it ends. The text in front of it loses one final
// LF, as the walk over the content does for an EMBED it cuts out. Bytes in
// front of the cut do not move.
void dropOwnGeneratedEmbed(std::string& content, std::size_t from, std::string_view ownAttributes);

// Adds a WIDTH and a HEIGHT to the EMBED text when the start tag had none, and
// records a conversion comment for every size added or replaced.
void appendSizeDefaults(ConversionContext& context, TextBuffer& embedOut, std::optional<std::string_view> separator,
                        bool isLayoutControl, std::string_view description, std::optional<std::string_view> width,
                        std::optional<std::string_view> height);

// Whether the integer reading of value (as the C library's atoi reads it, over
// the bytes of value alone) is 0.
bool sizeReadingIsZero(std::string_view value);

// Texts reused from object to object.
struct ObjectScratch {
  std::string content;        // the element's content
  TextBuffer embed;           // the EMBED text
  // The length of its start, as the attribute walk left it (with the SRC or
  // TYPE added when the start tag had no attributes): how an EMBED of an
  // earlier conversion of the object is known. The EMBED text only grows
  // behind it.
  std::size_t ownAttributesLength = 0;
  std::string_view ownAttributes() const { return embed.view().substr(0, ownAttributesLength); }
};

// How appendObjectMarkup ended.
enum class ObjectMarkup {
  kBuilt,
  kNotNamed,    // no property file name fits: nothing was written anywhere
  kNotWritten,  // the property file could not be written: out and the appendix are as they were
};

// Appends the complete replacement of one element, "<OBJECT" ... "</OBJECT>",
// to out, for a page that goes to destination (which names property files).
// content is the element's content; indent the indentation captured
// in front of the element. Writes the object's property file when the context
// asks for them. objectName, when given, receives the object's name as a view
// into content (set whatever the outcome). content may lose an EMBED of an
// earlier conversion (dropOwnGeneratedEmbed).
ObjectMarkup appendObjectMarkup(ConversionContext& context, const Destination& destination, std::string& content,
                                std::string& out, std::string_view indent, ObjectScratch& scratch,
                                std::string_view* objectName);

}  // namespace engine
