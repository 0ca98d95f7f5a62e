// OBJECT elements: each gains an EMBED twin before its end tag.
#include "engine/objects.h"

#include <algorithm>
#include <cstring>

#include "engine/appendix.h"
#include "engine/property_files.h"
#include "engine/scan.h"
#include "engine/tag_loop.h"

namespace engine {

const char kLayoutControlClassId[] = "CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF";
const char kLayoutControlDescription[] = "ActiveX Layout Control ** FINE TUNING MAY BE REQUIRED **";

namespace {

constexpr std::string_view kObjectType = "TYPE=\"application/oleobject\"";
constexpr std::size_t kClosingTagLength = 9;  // "</OBJECT>"

bool endsInSpace(const TextBuffer& text) {
  return !text.empty() && isHtmlSpace(static_cast<unsigned char>(text.back()));
}

// One SPACE unless the text already ends in whitespace (an empty text does not).
void separate(TextBuffer& text) {
  if (!endsInSpace(text)) text.push_back(' ');
}

bool isLayoutControlClassId(std::string_view classId) {
  constexpr std::size_t n = sizeof kLayoutControlClassId - 1;
  return classId.size() >= n && strnicmpAscii(classId.data(), kLayoutControlClassId, n) == 0;
}

}  // namespace

void TextBuffer::grow(std::size_t extra) {
  const std::size_t capacity = std::max({2 * capacity_, size_ + extra, std::size_t{256}});
  // Left uninitialised: only what is appended is ever read, and a large text
  // should not touch memory it does not fill.
  std::unique_ptr<char[]> data(new char[capacity]);
  if (size_) std::memcpy(data.get(), data_.get(), size_);
  data_ = std::move(data);
  capacity_ = capacity;
}

bool sizeReadingIsZero(std::string_view value) {
  std::size_t i = 0;
  const std::size_t n = value.size();
  while (i < n && (value[i] == ' ' || (value[i] >= '\t' && value[i] <= '\r'))) ++i;
  if (i < n && (value[i] == '+' || value[i] == '-')) ++i;
  for (; i < n && value[i] >= '0' && value[i] <= '9'; ++i) {
    if (value[i] != '0') return false;
  }
  return true;
}

void appendSizeDefaults(ConversionContext& context, TextBuffer& embedOut, std::optional<std::string_view> separator,
                        bool isLayoutControl, std::string_view description, std::optional<std::string_view> width,
                        std::optional<std::string_view> height) {
  const std::string_view widthText = isLayoutControl ? "WIDTH=150" : "WIDTH=1";
  const std::string_view heightText = isLayoutControl ? "HEIGHT=150" : "HEIGHT=1";
  const std::string_view named = isLayoutControl ? std::string_view(kLayoutControlDescription) : description;
  std::string_view prefix = separator ? *separator : " ";
  if (!embedOut.empty() && embedOut.back() == '\n' && !prefix.empty() && prefix.front() == '\n') {
    prefix.remove_prefix(1);
  }

  // A zero size was already written as 1 by the attribute walk; the comment
  // reports that value, whatever the default.
  if (!width) {
    appendAttribute(embedOut, prefix, widthText);
    appendConversionComment(context, widthText, named);
  } else if (sizeReadingIsZero(*width)) {
    appendConversionComment(context, "WIDTH=1", named);
  }
  if (!height) {
    appendAttribute(embedOut, width ? prefix : separator.value_or(std::string_view()), heightText);
    appendConversionComment(context, heightText, named);
  } else if (sizeReadingIsZero(*height)) {
    appendConversionComment(context, "HEIGHT=1", named);
  }
}

namespace {

// The property file an object gets, when the context asks for one.
struct PropertyFile {
  bool wanted = false;
  std::string classId;
  std::string path;
};

// The EMBED text's start: the start tag's attributes (its ">" is not copied),
// then the property file's SRC or the default TYPE. Reads the tag's values
// into fields and names the property file. Returns where the PARAMs begin,
// or null when no property file name fits.
const char* writeEmbedStart(ConversionContext& context, const Destination& destination, const char* content,
                            ObjectScratch& scratch, ObjectFields& fields, PropertyFile& propertyFile) {
  TextBuffer& embed = scratch.embed;
  const char* embedMark = content;
  const char* tagEnd = readObjectStartTag(content, embed, embedMark, fields);
  if (tagEnd > embedMark) embed.append(std::string_view(embedMark, static_cast<std::size_t>(tagEnd - embedMark)));
  scratch.ownAttributesLength = embed.size();

  propertyFile.wanted = context.useOdsFiles == 1 && fields.wantsPropertyFile;
  const std::string_view separator = fields.separator.value_or(std::string_view());
  if (propertyFile.wanted) {
    propertyFile.classId = fields.classId.value_or(std::string_view());
    const std::string name(fields.objectName.value_or(std::string_view()));
    std::string odsName;
    if (!nameOdsFile(*context.fileIo, destination, name.c_str(), &odsName, &propertyFile.path,
                     propertyFile.classId.c_str())) {
      return nullptr;
    }
    appendAttribute(embed, separator, "SRC=\"");
    embed.append(odsName);
    embed.push_back('"');
  } else if (context.useOdsFiles != 1 && fields.typeValue.value_or(std::string_view()).empty()) {
    appendAttribute(embed, separator, kObjectType);
  }
  separate(embed);
  // An object without attributes of its own is known by what was added.
  if (scratch.ownAttributes().find_first_not_of(" \t\r\n") == std::string_view::npos) {
    scratch.ownAttributesLength = embed.size();
  }
  return *tagEnd ? tagEnd + 1 : tagEnd;
}

// Appends the indentation, "<EMBED", the EMBED text and the closing markup
// to out, where the OBJECT text began at objectStart.
void appendEmbedTag(std::string& out, std::size_t objectStart, std::string_view indent, TextBuffer& embed) {
  // No empty line in front of the EMBED when the OBJECT text already ends on a
  // fresh line.
  std::size_t last = out.size();
  while (last > objectStart && (out[last - 1] == ' ' || out[last - 1] == '\t')) --last;
  const bool endsOnFreshLine = last > objectStart && out[last - 1] == '\n';
  if (endsOnFreshLine && !indent.empty() && indent.front() == '\n') indent.remove_prefix(1);

  // The EMBED tag follows the indentation; the EMBED text takes the closing
  // markup, so that both go into the page in one append each.
  embed.append("></OBJECT>");
  char head[64];
  if (indent.size() + 6 <= sizeof head) {
    std::memcpy(head, indent.data(), indent.size());
    std::memcpy(head + indent.size(), "<EMBED", 6);
    out.append(head, indent.size() + 6);
  } else {
    out.append(indent.data(), indent.size());
    out.append("<EMBED", 6);
  }
  out.append(embed.view().data(), embed.size());
}

}  // namespace

ObjectMarkup appendObjectMarkup(ConversionContext& context, const Destination& destination, std::string& contentText,
                                std::string& out, std::string_view indent, ObjectScratch& scratch,
                                std::string_view* objectName) {
  const AppendixSnapshot before(context);
  const std::size_t outStart = out.size();
  const char* const content = contentText.c_str();
  // The EMBED text is about as long as the content: what it adds (TYPE or
  // SRC, sizes, the closing markup) is about as long as what it drops of each
  // PARAM tag. The slack keeps a large object from doubling the buffer.
  TextBuffer& embed = scratch.embed;
  embed.clear();
  embed.reserve(contentText.size() + 512);
  ObjectFields fields;
  PropertyFile propertyFile;
  const char* paramsStart = writeEmbedStart(context, destination, content, scratch, fields, propertyFile);
  const std::string_view name = fields.objectName.value_or(std::string_view());
  if (objectName) *objectName = name;
  if (!paramsStart) return ObjectMarkup::kNotNamed;
  dropOwnGeneratedEmbed(contentText, static_cast<std::size_t>(paramsStart - content), scratch.ownAttributes());

  // The OBJECT text goes straight into out, behind its tag name.
  out += "<OBJECT";
  const std::size_t objectStart = out.size();
  const char* objectMark = content;
  const char* embedMark = paramsStart;
  bool isLayoutControl = false;
  const char* rest = walkObjectContent(paramsStart, embed, embedMark, out, objectMark, isLayoutControl);
  if (fields.classId && isLayoutControlClassId(*fields.classId)) isLayoutControl = true;
  appendSizeDefaults(context, embed, fields.separator, isLayoutControl, name, fields.width, fields.height);
  separate(embed);
  if (rest > embedMark) embed.append(std::string_view(embedMark, static_cast<std::size_t>(rest - embedMark)));
  flushText(out, objectMark, rest);
  appendEmbedTag(out, objectStart, indent, embed);

  if (propertyFile.wanted &&
      !writeOdsFile(propertyFile.path.c_str(), propertyFile.classId.c_str(), *context.fileIo)) {
    before.restore(context);
    out.resize(outStart);
    return ObjectMarkup::kNotWritten;
  }
  return ObjectMarkup::kBuilt;
}

const char* handleObjectElement(TagLoop& loop, const char* position) {
  // The conversion's buffers, reused from object to object; a loop without
  // them (a test's) uses buffers of its own.
  std::optional<ObjectScratch> own;
  ObjectScratch& scratch = loop.objectScratch ? *loop.objectScratch : own.emplace();
  const char* behind = loop.extract("object", position, &scratch.content);
  if (behind == position) return position;

  flushText(loop.out, loop.mark, position, position);
  const std::string_view indent =
      position > loop.inputStart ? captureIndent(position - 1, loop.inputStart) : std::string_view("\n");
  const std::size_t outStart = loop.out.size();
  // The OBJECT and EMBED texts, each about as long as the content, go into
  // out in pieces: room for both at once keeps a large object from growing
  // out step by step (each step holding the old buffer and one twice its size).
  loop.out.reserve(outStart + 2 * scratch.content.size() + 1024);
  if (!loop.out.empty() && !isHtmlSpace(static_cast<unsigned char>(loop.out.back()))) loop.out += ' ';
  if (appendObjectMarkup(loop.context, loop.destination, scratch.content, loop.out, indent, scratch, nullptr) ==
      ObjectMarkup::kBuilt) {
    loop.mark = behind;
    loop.context.lastObjectClose = loop.out.size() - kClosingTagLength;
    loop.insertPointFixed = true;
    if (loop.objectIndent) {
      loop.objectIndent->assign(indent.data(), indent.size());
    } else {
      loop.objectIndent.emplace(indent);
    }
  } else {
    // The element is still pending from its "<" and is copied unchanged by
    // the next flush.
    loop.out.resize(outStart);
  }
  return behind;
}

}  // namespace engine
