// The two walks over an OBJECT element's content: the start tag's attributes,
// then the PARAM and EMBED tags inside the element.
#include <cstring>

#include "objects.h"
#include "scan.h"

namespace engine {

namespace {

inline bool isSpaceByte(char c) { return isHtmlSpace(static_cast<unsigned char>(c)) != 0; }

// Copies the EMBED text's pending content up to the attribute at
// attributeStart, writes newName in place of the attribute's name (nameLength
// bytes) and moves the mark to the "=", so that the value follows unchanged.
void renameAttribute(PendingText& embed, const char* attributeStart, std::size_t nameLength, const char* newName) {
  const char* equals = attributeStart + nameLength;
  skipSpace(equals, 1);
  flushText(embed.text, embed.mark, attributeStart, equals);
  embed.text += newName;
}

// Replaces a zero size attribute (from attributeStart to behind its value)
// by name=1.
void replaceZeroSize(PendingText& embed, const char* attributeStart, const char* behind, const char* name) {
  flushText(embed.text, embed.mark, attributeStart, behind);
  writeAttribute(embed.text, name, "1", "", 0);
}

// Passes one attribute that no rule consumed; always moves at least one byte.
void passAttribute(const char*& p) {
  const char* before = p;
  skipAttribute(p);
  if (p == before && *p) ++p;
}

// Reads the values of the attributes firstName and secondName of a tag whose
// attributes start at p, up to its ">" (not passed) or the end of the text.
// Blanks and comments are skipped before each attribute; a later occurrence
// replaces an earlier one.
const char* readTagValues(const char* p, const char* firstName, std::optional<std::string>& first,
                          const char* secondName, std::optional<std::string>& second) {
  std::string value;
  for (;;) {
    skipSpace(p, 1);
    if (!*p || *p == '>') return p;
    const char* behind = readAttribute(firstName, p, &value);
    if (behind != p) {
      first = value;
    } else if ((behind = readAttribute(secondName, p, &value)) != p) {
      second = value;
    } else {
      passAttribute(p);
      continue;
    }
    p = behind;
  }
}

bool equalsNoCase(const std::string& value, const char* literal) {
  return value.size() == std::strlen(literal) && strnicmpAscii(value.c_str(), literal, value.size()) == 0;
}

void dropFinalLineFeed(std::string& text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
}

// An EMBED tag written by an earlier conversion of the page.
bool isGeneratedEmbed(const std::optional<std::string>& type, const std::optional<std::string>& src) {
  if (type && (equalsNoCase(*type, "application/oleobject") || equalsNoCase(*type, "application/x-oleobject"))) {
    return true;
  }
  return src && !src->empty() && (hasOdsExtension(src->c_str()) || hasAxsExtension(src->c_str()));
}

// An EMBED that closes the element and starts with the object's own
// attributes as this conversion rewrites them was also written by an earlier
// conversion, even when it carries neither of the marks above (an object
// with DATA and a TYPE of its own).
bool repeatsOwnAttributes(const char* attributes, const char* behindTag, const std::string& ownAttributes) {
  if (ownAttributes.find_first_not_of(" \t\r\n") == std::string::npos) return false;
  if (behindTag[-1] != '>') return false;
  while (isSpaceByte(*behindTag)) ++behindTag;
  return !*behindTag && std::strncmp(attributes, ownAttributes.c_str(), ownAttributes.size()) == 0;
}

}  // namespace

const char* rewriteObjectAttributes(const char* content, PendingText& embed, ObjectValues& values) {
  const char* p = content;
  std::string value;
  for (;;) {
    skipSpace(p, 1);
    if (!*p || *p == '>') return p;
    const char* const attributeStart = p;
    const char* behind;
    if ((behind = readAttribute("data", p, &value)) != p) {
      renameAttribute(embed, attributeStart, 4, "SRC");
      values.propertyFileFlag = 0;
    } else if ((behind = readAttribute("codebase", p, &value)) != p) {
      const char* run = attributeStart;
      while (run > content && isSpaceByte(run[-1])) --run;
      values.separator.emplace(run, static_cast<std::size_t>(attributeStart - run));
    } else if ((behind = readAttribute("id", p, &value)) != p) {
      values.objectName = value;
      renameAttribute(embed, attributeStart, 2, "NAME");
    } else if ((behind = readAttribute("name", p, &value)) != p) {
      values.objectName = value;
    } else if ((behind = readAttribute("type", p, &value)) != p) {
      values.typeValue = value;
    } else if ((behind = readAttribute("classid", p, &value)) != p) {
      values.classId = value;
    } else if ((behind = readAttribute("width", p, &value)) != p) {
      values.width = value;
      if (integerReadingIsZero(value)) replaceZeroSize(embed, attributeStart, behind, "WIDTH");
    } else if ((behind = readAttribute("height", p, &value)) != p) {
      values.height = value;
      if (integerReadingIsZero(value)) replaceZeroSize(embed, attributeStart, behind, "HEIGHT");
    } else {
      passAttribute(p);
      continue;
    }
    p = behind;
  }
}

const char* convertObjectParams(const char* position, PendingText& embed, PendingText& object, int& isLayoutControl,
                                const std::string& ownAttributes) {
  const char* p = position;
  while (*p) {
    // Comments are passed as units, also one that directly follows a tag.
    if (*p != '<' || startsWithNoCase(p, "<!--")) {
      advance(p);
      continue;
    }
    const char* const tagStart = p;
    const char* q = p + 1;
    while (isSpaceByte(*q)) ++q;
    if (matchWord("param", q)) {
      std::optional<std::string> name;
      std::optional<std::string> value;
      q = readTagValues(q + 5, "name", name, "value", value);
      if (*q == '>') ++q;
      matchEndTag(q, "param");
      // The text in front of the PARAM goes into the EMBED text; the PARAM
      // itself becomes an attribute there and stays in the OBJECT text.
      flushText(embed.text, embed.mark, tagStart, q);
      if (name && !name->empty()) {
        const std::string paramValue = value ? *value : std::string();
        if (equalsNoCase(*name, "ALXPATH") || hasAlxExtension(paramValue.c_str())) isLayoutControl = 1;
        if (embed.text.empty() || !isSpaceByte(embed.text.back())) embed.text += ' ';
        embed.text += "PARAM_" + *name + "=\"" + paramValue + "\"";
      }
      p = q;
    } else if (matchWord("embed", q)) {
      std::optional<std::string> type;
      std::optional<std::string> src;
      const char* const attributes = q + 5;
      q = readTagValues(attributes, "type", type, "src", src);
      if (*q == '>') ++q;
      flushText(embed.text, embed.mark, tagStart, tagStart);
      flushText(object.text, object.mark, tagStart, tagStart);
      if (isGeneratedEmbed(type, src) || repeatsOwnAttributes(attributes, q, ownAttributes)) {
        dropFinalLineFeed(embed.text);
        dropFinalLineFeed(object.text);
        embed.mark = q;
        object.mark = q;
      }
      p = q;
    } else {
      skipPastTagEnd(p);
    }
  }
  return p;
}

}  // namespace engine
