// Converting a converted page again, any number of times, leaves one
// generated EMBED per object and one script reference per page.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/driver.h"
#include "engine/scan.h"
#include "engine/testing/page_generator.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

// The page as the file would hold it: the converted text and its comments.
std::string convertOnce(const std::string& page, const std::string& dest, bool ods) {
  ConversionContext context;
  context.useOdsFiles = ods ? 1 : 0;
  context.clock = [] { return std::time_t(0); };
  ScriptCollection scripts(page.size());
  std::string out;
  EXPECT_EQ(1, convertText(context, page.c_str(), &out, &scripts, dest.c_str()));
  return out + context.appendix.value_or("");
}

int countNoCase(const std::string& text, std::string_view needle) {
  int n = 0;
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i)
    if (strnicmpAscii(text.data() + i, needle.data(), needle.size()) == 0) ++n;
  return n;
}

struct Destination {
  const char* name;
  const char* reference;  // the script reference's SRC value
};
const Destination kDestinations[] = {{"page.htm", "page.AXS"}, {"my.page.htm", "my.page.AXS"}};

TEST(Reconversion, EveryObjectKeepsOneEmbedAndThePageOneReference) {
  testing_support::TempDir dir;
  corpus::Lcg rng(7);
  for (int i = 0; i < 200; ++i) {
    const bool withScript = i % 2 == 0;
    int objects = 0;
    const std::string source = corpus::wellFormedObjectPage(rng, withScript, &objects);
    for (const Destination& dest : kDestinations) {
      for (const bool ods : {false, true}) {
        // Property files are rewritten and forced to disk each time: a few
        // pages are enough for them.
        if (ods && i % 8 != 0) continue;
        SCOPED_TRACE(source + " into " + dest.name + (ods ? " with property files" : ""));
        std::string page = source;
        for (int round = 1; round <= 3; ++round) {
          page = convertOnce(page, dir.file(dest.name), ods);
          const int references = countNoCase(page, std::string("SRC=\"") + dest.reference + "\"");
          ASSERT_EQ(withScript ? 1 : 0, references) << "round " << round << ":\n" << page;
          ASSERT_EQ(objects, countNoCase(page, "<EMBED") - references) << "round " << round << ":\n" << page;
        }
      }
    }
  }
}

// The page as a browser takes it apart: HTML comments dropped, SCRIPT
// elements kept whole (a guard's EMBED is written by its script).
std::string visibleMarkup(const std::string& page) {
  std::string out;
  std::size_t i = 0;
  while (i < page.size()) {
    if (page.compare(i, 4, "<!--") == 0) {
      const std::size_t end = page.find("-->", i + 4);
      i = end == std::string::npos ? page.size() : end + 3;
    } else if (strnicmpAscii(page.c_str() + i, "<script", 7) == 0) {
      std::size_t end = i + 7;
      while (end < page.size() && strnicmpAscii(page.c_str() + end, "</script", 8) != 0) ++end;
      out.append(page, i, end - i);
      i = end == page.size() ? end : end + 8;
      if (end != page.size()) out += "</script";
    } else {
      out += page[i++];
    }
  }
  return out;
}

// The OBJECT start tags of the generated pages and the start of the EMBED
// that a conversion generates for each.
const struct {
  const char* startTag;
  const char* embed;
} kGeneratedObjects[] = {
    {"<OBJECT ID=\"Label1\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" WIDTH=0>",
     "<EMBED NAME=\"Label1\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" WIDTH=1"},
    {"<OBJECT CLASSID=\"clsid:{3472d900-5a27-11cf-8b11-00aa00c00903}\">",
     "<EMBED CLASSID=\"clsid:{3472d900-5a27-11cf-8b11-00aa00c00903}\""},
    {"<OBJECT CLASSID=\"CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF\" ID=\"Layout1\"\n CODEBASE=\"x.cab\">",
     "<EMBED CLASSID=\"CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF\" NAME=\"Layout1\"\n CODEBASE=\"x.cab\""},
    {"<OBJECT DATA=\"movie.ods\" TYPE=\"video/x\" HEIGHT=50>", "<EMBED SRC=\"movie.ods\" TYPE=\"video/x\" HEIGHT=50"},
};

int count(const std::string& text, const std::string& needle) {
  int n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

// Every generated page, however malformed (unclosed elements, comments that
// swallow end tags, stray EMBEDs of its own), converted three times in a row:
// from each OBJECT start tag to the next end tag there is at most one EMBED
// that a conversion generated for that object, and a browser sees at most
// one script reference.
TEST(Reconversion, AtMostOneGeneratedEmbedPerObjectOnGeneratedPages) {
  testing_support::TempDir dir;
  corpus::Lcg rng(20261208u);
  for (int i = 0; i < 300; ++i) {
    const std::string source = corpus::generatedPage(rng);
    for (const Destination& dest : kDestinations) {
      std::string page = source;
      for (int round = 1; round <= 3; ++round) {
        page = convertOnce(page, dir.file(dest.name), i % 5 == 0);
        SCOPED_TRACE(std::string("round ") + std::to_string(round) + " into " + dest.name + ":\n" + page);
        for (const auto& object : kGeneratedObjects) {
          for (std::size_t at = page.find(object.startTag); at != std::string::npos;
               at = page.find(object.startTag, at + 1)) {
            const std::size_t close = page.find("</OBJECT>", at);
            ASSERT_LE(count(page.substr(at, close == std::string::npos ? close : close - at), object.embed), 1);
          }
        }
        const std::string visible = visibleMarkup(page);
        ASSERT_LE(countNoCase(visible, std::string("SRC=\"") + dest.reference) +
                      countNoCase(visible, std::string("SRC=\\\"") + dest.reference),
                  1);
      }
    }
  }
}

}  // namespace
}  // namespace engine
