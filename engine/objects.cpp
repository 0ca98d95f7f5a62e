// OBJECT elements: each gains an EMBED twin before its end tag.
#include "objects.h"

#include <algorithm>
#include <cstring>

#include "property_files.h"
#include "scan.h"
#include "tag_loop.h"

namespace engine {

const char kLayoutControlClassId[] = "CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF";
const char kLayoutControlDescription[] = "ActiveX Layout Control ** FINE TUNING MAY BE REQUIRED **";
const char kUnnamedObject[] = "unnamed object";

namespace {

constexpr char kObjectMimeType[] = "application/oleobject";
constexpr std::size_t kClosingTagLength = 9;  // "</OBJECT>"

bool endsInSpace(const std::string& text) {
  return !text.empty() && isHtmlSpace(static_cast<unsigned char>(text.back()));
}

// One SPACE unless the text already ends in whitespace (an empty text does not).
void separate(std::string& text) {
  if (!endsInSpace(text)) text += ' ';
}

bool isLayoutControlClassId(const std::string& classId) {
  return strnicmpAscii(classId.c_str(), kLayoutControlClassId, sizeof kLayoutControlClassId - 1) == 0;
}

// The appendix as it was before an object, so that an object left unchanged
// reports nothing.
struct AppendixSnapshot {
  explicit AppendixSnapshot(const ConversionContext& context)
      : existed(context.appendix.has_value()), length(existed ? context.appendix->size() : 0) {}
  void restore(ConversionContext& context) const {
    if (!existed) {
      context.appendix.reset();
    } else if (context.appendix) {
      context.appendix->resize(length);
    }
  }
  bool existed;
  std::size_t length;
};

}  // namespace

int integerReadingIsZero(const std::string& value) {
  const char* p = value.c_str();
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  if (*p == '+' || *p == '-') ++p;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (*p != '0') return 0;
  }
  return 1;
}

void addConversionComment(ConversionContext& context, const std::string& text, const std::string& description) {
  if (text.empty()) return;
  char stamp[26];
  formatTimestamp(stamp, context.clock ? context.clock() : std::time(nullptr));
  if (!context.appendix) {
    // At most two comments of about 100 bytes per object; the string grows
    // when descriptions are longer.
    context.appendix.emplace();
    const std::size_t budget = static_cast<std::size_t>(std::max(context.objectCount, 0)) * 200;
    context.appendix->reserve(std::max<std::size_t>(budget, 1024));
  }
  std::string& appendix = *context.appendix;
  appendix += "\n<!-- ** ";
  appendix += stamp;
  appendix += " ** Tarnwick conversion added \"";
  appendix += text;
  appendix += "\" for ";
  appendix += description.empty() ? kUnnamedObject : description;
  appendix += " -->";
}

void addSizeDefaults(ConversionContext& context, std::string& embedOut, const std::optional<std::string>& separator,
                     int isLayoutControl, const std::string& description, const std::optional<std::string>& width,
                     const std::optional<std::string>& height) {
  const char* defaultSize = isLayoutControl ? "150" : "1";
  const std::string named = isLayoutControl ? std::string(kLayoutControlDescription) : description;
  std::string prefix = separator ? *separator : std::string(" ");
  if (!embedOut.empty() && embedOut.back() == '\n' && !prefix.empty() && prefix.front() == '\n') prefix.erase(0, 1);

  // A zero size was already written as 1 by the attribute walk; the comment
  // reports that value, whatever the default.
  if (!width) {
    writeAttribute(embedOut, "WIDTH", defaultSize, prefix.c_str(), 0);
    addConversionComment(context, std::string("WIDTH=") + defaultSize, named);
  } else if (integerReadingIsZero(*width)) {
    addConversionComment(context, "WIDTH=1", named);
  }
  if (!height) {
    const char* heightPrefix = width ? prefix.c_str() : (separator ? separator->c_str() : nullptr);
    writeAttribute(embedOut, "HEIGHT", defaultSize, heightPrefix, 0);
    addConversionComment(context, std::string("HEIGHT=") + defaultSize, named);
  } else if (integerReadingIsZero(*height)) {
    addConversionComment(context, "HEIGHT=1", named);
  }
}

int buildObjectMarkup(ConversionContext& context, const std::string& content, std::string* result,
                      const std::string& indent, std::string* objectName) {
  if (!result || !objectName) return 0;
  const AppendixSnapshot before(context);
  const char* const start = content.c_str();
  PendingText embed{std::string(), start};
  PendingText object{std::string(), start};
  embed.text.reserve(content.size() + 64);
  object.text.reserve(content.size());
  ObjectValues values;

  // The start tag's attributes; its ">" is not copied into the EMBED text.
  const char* tagEnd = rewriteObjectAttributes(start, embed, values);
  const char* paramsStart = *tagEnd ? tagEnd + 1 : tagEnd;
  flushText(embed.text, embed.mark, tagEnd, paramsStart);
  const std::string ownAttributes = embed.text;
  *objectName = values.objectName;

  const bool wantsPropertyFile = context.useOdsFiles == 1 && values.propertyFileFlag;
  const char* separator = values.separator ? values.separator->c_str() : nullptr;
  std::string odsName;
  std::string odsPath;
  if (wantsPropertyFile) {
    if (!nameOdsFile(context, values.objectName.c_str(), &odsName, &odsPath, values.classId.c_str())) return 0;
    writeAttribute(embed.text, "SRC", odsName.c_str(), separator, 1);
  } else if (context.useOdsFiles != 1 && values.typeValue.empty()) {
    writeAttribute(embed.text, "TYPE", kObjectMimeType, separator, 1);
  }
  separate(embed.text);

  int isLayoutControl = 0;
  const char* rest = convertObjectParams(paramsStart, embed, object, isLayoutControl, ownAttributes);
  if (isLayoutControlClassId(values.classId)) isLayoutControl = 1;
  addSizeDefaults(context, embed.text, values.separator, isLayoutControl, values.objectName, values.width,
                  values.height);
  separate(embed.text);
  flushText(embed.text, embed.mark, rest);
  flushText(object.text, object.mark, rest);

  // No empty line in front of the EMBED when the OBJECT text already ends on a
  // fresh line.
  std::size_t indentStart = 0;
  const std::size_t lastNonBlank = object.text.find_last_not_of(" \t");
  if (lastNonBlank != std::string::npos && object.text[lastNonBlank] == '\n' && !indent.empty() &&
      indent.front() == '\n') {
    indentStart = 1;
  }

  result->clear();
  result->reserve(object.text.size() + indent.size() + embed.text.size() + 23);
  *result += "<OBJECT";
  *result += object.text;
  result->append(indent, indentStart, std::string::npos);
  *result += "<EMBED";
  *result += embed.text;
  *result += "></OBJECT>";

  if (wantsPropertyFile && !writeOdsFile(odsPath.c_str(), values.classId.c_str())) {
    before.restore(context);
    result->clear();
    return 0;
  }
  return 1;
}

const char* handleObjectElement(TagLoop& loop, const char* position) {
  std::string content;
  const char* behind = loop.extract("object", position, &content);
  if (behind == position) return position;

  flushText(loop.out, loop.mark, position, position);
  std::string indent = position > loop.inputStart ? captureIndent(position - 1, loop.inputStart) : std::string("\n");
  std::string markup;
  std::string objectName;
  if (buildObjectMarkup(loop.context, content, &markup, indent, &objectName)) {
    if (!loop.out.empty() && !isHtmlSpace(static_cast<unsigned char>(loop.out.back()))) loop.out += ' ';
    loop.out += markup;
    loop.mark = behind;
    loop.context.lastObjectClose = loop.out.size() - kClosingTagLength;
    loop.insertPointFixed = 1;
    loop.objectIndent = std::move(indent);
  }
  // After a failure the element is still pending from its "<" and is copied
  // unchanged by the next flush.
  return behind;
}

}  // namespace engine
