// End-to-end: pages converted by the engine, opened from a local folder in
// headless Chromium (whose navigator.appName is "Netscape", so the guards take
// effect). Checks that every Netscape guard ran without a script error and
// wrote its EMBED with the expected attributes, in page order.
//
// Exit codes: 0 passed, 1 failed, 77 skipped (no browser on this machine).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "engine/driver.h"
#include "engine/scan.h"
#include "testing/checks.h"
#include "testing/fixed_clock.h"
#include "testing/temp_dir.h"

namespace {

using Attributes = std::map<std::string, std::string>;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

// Every uncaught script error on the page (syntax errors of later blocks
// included) adds an element naming its line, which the check finds in the DOM.
const char kErrorHook[] =
    "<SCRIPT LANGUAGE=\"JavaScript\">\n"
    "window.onerror = function (message, source, line) {\n"
    "  var d = document.createElement('div'); d.className = 'tw-error'; d.title = line; d.textContent = message;\n"
    "  document.documentElement.appendChild(d);\n"
    "};\n"
    "</SCRIPT>\n";

// A planted error, so that each run proves that errors are seen.
const char kPlantedError[] = "<SCRIPT LANGUAGE=\"JavaScript\">twPlantedError();</SCRIPT>\n";

std::string findChromium() {
  if (const char* configured = std::getenv("TW_CHROMIUM")) return configured;
  for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser", "/usr/bin/google-chrome"}) {
    if (std::filesystem::exists(candidate)) return candidate;
  }
  return "";
}

std::string fileUrl(const std::filesystem::path& path) {
  std::string url = "file://";
  for (char c : path.string()) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '-' || c == '_') {
      url += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      url += escaped;
    }
  }
  return url;
}

// Loads the page and returns its DOM after loading; the browser's log goes to
// logPath.
bool dumpDom(const std::string& chromium, const TempDir& dir, const std::filesystem::path& page, std::string& dom,
             const std::string& logPath) {
  static int run = 0;
  const std::string profile = dir.file("profile-" + std::to_string(++run));
  const std::string domPath = dir.file("dom-" + std::to_string(run) + ".html");
  const std::string command = "timeout 120 '" + chromium +
                              "' --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                              " --disable-background-networking --disable-component-update --disable-sync"
                              " --enable-logging=stderr --v=0 --user-data-dir='" +
                              profile + "' --dump-dom '" + fileUrl(page) + "' > '" + domPath + "' 2> '" + logPath +
                              "'";
  const int status = std::system(command.c_str());
  dom = readBytes(domPath);
  return status == 0 && !dom.empty();
}

std::string decodeEntities(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value.compare(i, 5, "&amp;") == 0) {
      out += '&';
      i += 4;
    } else if (value.compare(i, 6, "&quot;") == 0) {
      out += '"';
      i += 5;
    } else {
      out += value[i];
    }
  }
  return out;
}

// The EMBED elements of a serialized DOM, in document order; text inside
// SCRIPT elements (the guards' own source) is not markup.
std::vector<Attributes> embedsOf(const std::string& dom) {
  std::vector<Attributes> embeds;
  const std::string lowered = common::toLowerAscii(dom);
  std::size_t at = 0;
  for (;;) {
    const std::size_t embed = lowered.find("<embed", at);
    const std::size_t script = lowered.find("<script", at);
    if (embed == std::string::npos) break;
    if (script < embed) {
      const std::size_t end = lowered.find("</script", script);
      if (end == std::string::npos) break;
      at = end + 1;
      continue;
    }
    Attributes attributes;
    std::size_t i = embed + 6;
    while (i < dom.size() && dom[i] != '>') {
      const std::size_t start = i;
      while (i < dom.size() && common::kHtmlSpace(dom[i])) ++i;
      const std::size_t nameStart = i;
      while (i < dom.size() && dom[i] != '=' && dom[i] != '>' && !common::kHtmlSpace(dom[i])) ++i;
      const std::string name = common::toLowerAscii(dom.substr(nameStart, i - nameStart));
      std::string value;
      if (i + 1 < dom.size() && dom[i] == '=' && dom[i + 1] == '"') {
        const std::size_t close = dom.find('"', i + 2);
        if (close == std::string::npos) break;
        value = decodeEntities(dom.substr(i + 2, close - i - 2));
        i = close + 1;
      }
      if (!name.empty()) attributes[name] = value;
      if (i == start) ++i;  // never stall on unexpected markup
    }
    embeds.push_back(attributes);
    at = i;
  }
  return embeds;
}

// A script error the page reported, with the line it names.
struct ScriptError {
  int line;
  std::string message;
};

// The errors that the hook wrote into the DOM.
std::vector<ScriptError> errorsOf(const std::string& dom) {
  std::vector<ScriptError> errors;
  const std::string open = "<div class=\"tw-error\" title=\"";
  for (std::size_t at = dom.find(open); at != std::string::npos; at = dom.find(open, at + 1)) {
    const std::size_t lineStart = at + open.size();
    const std::size_t textStart = dom.find('>', lineStart) + 1;
    const std::size_t textEnd = dom.find("</div>", textStart);
    errors.push_back({std::atoi(dom.c_str() + lineStart), dom.substr(textStart, textEnd - textStart)});
  }
  return errors;
}

// The errors in the browser's log ("... CONSOLE ... "Uncaught ...", source: URL (LINE)").
std::vector<ScriptError> consoleErrorsOf(const std::string& log) {
  std::vector<ScriptError> errors;
  for (std::size_t at = log.find("CONSOLE"); at != std::string::npos; at = log.find("CONSOLE", at + 1)) {
    const std::string line = log.substr(at, log.find('\n', at) - at);
    if (line.find("Uncaught") == std::string::npos) continue;
    const std::size_t number = line.rfind('(');
    errors.push_back({number == std::string::npos ? 0 : std::atoi(line.c_str() + number + 1), line});
  }
  return errors;
}

// First and last line (1-based) of every Netscape guard in the page.
std::vector<std::pair<int, int>> guardLines(const std::string& page) {
  std::vector<std::pair<int, int>> ranges;
  const std::string marker = "// Tarnwick Brightloom(TM) -- do not remove this comment";
  auto lineOf = [&page](std::size_t offset) {
    return 1 + static_cast<int>(std::count(page.begin(), page.begin() + static_cast<long>(offset), '\n'));
  };
  for (std::size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
    const std::size_t start = page.rfind("<SCRIPT", at);
    const std::size_t end = page.find("</SCRIPT>", at);
    ranges.emplace_back(lineOf(start == std::string::npos ? at : start), lineOf(end == std::string::npos ? at : end));
  }
  return ranges;
}

std::string describe(const Attributes& attributes) {
  std::string text = "<embed";
  for (const auto& [name, value] : attributes) text += " " + name + "=\"" + value + "\"";
  return text + ">";
}

Attributes control(const char* classId, const char* name, int width, int height) {
  return {{"type", "application/oleobject"},
          {"classid", classId},
          {"name", name},
          {"width", std::to_string(width)},
          {"height", std::to_string(height)}};
}

Attributes scriptReference(const std::string& file, const std::string& language = "VBScript") {
  return {{"src", file}, {"width", "1"}, {"height", "1"}, {"language", language}};
}

// Opens the converted page in the browser and checks its EMBEDs and errors.
// guards is the number of Netscape guards the converted page must hold; the
// page's own VBScript may fail as JavaScript in this browser, but no error may
// come from a guard, and the planted error must be seen.
void checkInBrowser(const std::string& chromium, const TempDir& dir, const std::filesystem::path& converted,
                    const std::vector<Attributes>& expected, int guards) {
  const std::string label = converted.parent_path().filename().string() + "/" + converted.filename().string();
  const std::string page = readBytes(converted.string());
  const std::vector<std::pair<int, int>> ranges = guardLines(page);
  ok(static_cast<int>(ranges.size()) == guards, "%s holds %zu guards, expected %d", label.c_str(), ranges.size(),
     guards);
  std::string dom;
  static int run = 0;
  const std::string logPath = dir.file("browser-" + std::to_string(++run) + ".log");
  if (!ok(dumpDom(chromium, dir, converted, dom, logPath), "%s: the browser did not load the page; its log:\n%s",
          label.c_str(), readBytes(logPath).c_str()))
    return;
  std::vector<ScriptError> errors = errorsOf(dom);
  const std::vector<ScriptError> console = consoleErrorsOf(readBytes(logPath));
  errors.insert(errors.end(), console.begin(), console.end());
  bool plantedSeen = false;
  for (const ScriptError& error : errors) {
    if (error.message.find("twPlantedError") != std::string::npos) plantedSeen = true;
    for (const auto& [first, last] : ranges) {
      ok(error.line < first || error.line > last, "%s: script error in the guard of lines %d-%d: %s", label.c_str(),
         first, last, error.message.c_str());
    }
  }
  ok(plantedSeen, "%s: the planted script error was not reported: errors are not being seen", label.c_str());
  const std::vector<Attributes> embeds = embedsOf(dom);
  if (embeds != expected) {
    std::string report = "EMBED elements differ\n  expected:\n";
    for (const Attributes& e : expected) report += "    " + describe(e) + "\n";
    report += "  in the DOM:\n";
    for (const Attributes& e : embeds) report += "    " + describe(e) + "\n";
    ok(false, "%s: %s", label.c_str(), report.c_str());
  } else {
    std::printf("ok %s: %zu guards ran without error and wrote %zu EMBED elements (%zu errors elsewhere)\n",
                label.c_str(), ranges.size(), embeds.size(), errors.size());
  }
}

bool convert(const std::filesystem::path& source, const std::filesystem::path& dest) {
  engine::ConversionContext context;
  context.clock = testing_support::fixedClock(1700000000);  // the same page at every run
  return ok(engine::convertFile(context, source.string().c_str(), dest.string().c_str()) == 1, "%s: conversion failed",
            dest.filename().string().c_str());
}

const char kButton[] = "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903";
const char kCheckbox[] = "CLSID:3D92FF40-5A24-11CF-8B11-00AA00C00903";
const char kRadio[] = "CLSID:687738C0-5A24-11CF-8B11-00AA00C00903";
const char kHidden[] = "CLSID:2E8D0FE0-8B43-11CF-ABBD-00A0C9034926";
const char kPassword[] = "CLSID:EE230860-5A5F-11CF-8B11-00AA00C00903";
const char kText[] = "CLSID:81EF4D60-5A24-11CF-8B11-00AA00C00903";
const char kTextArea[] = "CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903";

}  // namespace

int main() {
  const std::string chromium = findChromium();
  if (chromium.empty()) {
    std::printf("SKIP: no Chromium found (looked for /usr/bin/chromium; set TW_CHROMIUM to a browser)\n");
    return 77;
  }
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "src");
  std::filesystem::create_directories(dir.path() / "out");
  std::filesystem::create_directories(dir.path() / "again");

  // Every control type, inputs inside and outside a form, page VBScript, BODY
  // handlers, a JavaScript block to be commented, an old script reference.
  const std::string controls =
      std::string("<HTML>\n<HEAD>\n<TITLE>Controls</TITLE>\n") + kErrorHook + kPlantedError +
      "<SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Window_OnLoad\n  T1.Value = \"x\"\nEnd Sub\n-->\n</SCRIPT>\n"
      "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\nvar ready = true;\n-->\n</SCRIPT>\n"
      "</HEAD>\n<BODY LANGUAGE=\"VBScript\" onLoad=\"MsgBox 1\">\n"
      "<INPUT TYPE=button NAME=B1 VALUE=\"Go\" onClick=\"MsgBox 1\">\n"
      "<INPUT TYPE=submit NAME=S1 VALUE=\"Send the order\">\n"
      "<INPUT TYPE=reset NAME=R0 VALUE=Reset>\n"
      "<INPUT TYPE=CheckBox NAME=C1 CHECKED=True>\n"
      "<INPUT TYPE=radio NAME=Size VALUE=S><INPUT TYPE=radio NAME=Size VALUE=L>\n"
      "<INPUT TYPE=hidden NAME=H1 VALUE=x>\n"
      "<INPUT TYPE=password NAME=P1>\n"
      "<P>Text: <INPUT TYPE=text NAME=T1 VALUE=\"it's\"> <INPUT TYPE=textarea NAME=A1>\n"
      "<INPUT TYPE=image NAME=I1 onClick=\"MsgBox 2\">\n"
      "<FORM ACTION=\"x.cgi\"><INPUT TYPE=text NAME=InForm></FORM>\n"
      "<INPUT TYPE=text NAME=JS LANGUAGE=JavaScript>\n"
      "<EMBED SRC=\"old.axs\" WIDTH=1 HEIGHT=1>\n"
      "</BODY>\n</HTML>\n";
  writeBytes((dir.path() / "src" / "controls.htm").string(), controls);
  const std::vector<Attributes> controlEmbeds = {
      control(kButton, "B1", 72, 23),      control(kButton, "S1", 126, 23),    control(kButton, "R0", 72, 23),
      control(kCheckbox, "C1", 14, 14),    control(kRadio, "Size", 14, 14),    control(kRadio, "Size", 14, 14),
      control(kHidden, "H1", 1, 1),        control(kPassword, "P1", 120, 23),  control(kText, "T1", 120, 23),
      control(kTextArea, "A1", 120, 23),   control(kText, "JS", 120, 23),      scriptReference("controls.AXS"),
  };

  // A page whose file name holds an apostrophe and a space, with VBScript but
  // neither inputs nor a BODY end tag.
  const std::string named = std::string("<HTML><HEAD>") + kErrorHook + kPlantedError +
                            "<SCRIPT LANGUAGE=vbscript>\nSub Window_OnLoad\nEnd Sub\n</SCRIPT></HEAD>\n<P>Hi\n</HTML>\n";
  writeBytes((dir.path() / "src" / "bob's page.htm").string(), named);

  // Objects: their EMBEDs are plain markup, the script reference goes into the
  // last object, and only the input has a guard.
  const std::string objects =
      std::string("<HTML>\n<HEAD>\n") + kErrorHook + kPlantedError +
      "<SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Label1_Click()\n  Label1.Caption = \"Clicked\"\nEnd Sub\n-->\n"
      "</SCRIPT>\n</HEAD>\n<BODY>\n"
      "    <OBJECT ID=\"Label1\" CLASSID=\"CLSID:99B42120-6EC7-11CF-A6C7-00AA00A47DD2\" WIDTH=200 HEIGHT=0>\n"
      "        <PARAM NAME=\"Caption\" VALUE=\"Hello\">\n    </OBJECT>\n"
      "<INPUT TYPE=button NAME=Go VALUE=\"Go\" onClick=\"Label1.Caption = 1\">\n"
      "  <OBJECT ID=\"Timer1\" CLASSID=\"CLSID:59CCB4A0-727D-11CF-AC36-00AA00A47DD2\">\n"
      "    <PARAM NAME=\"Interval\" VALUE=\"1000\">\n  </OBJECT>\n"
      "</BODY>\n</HTML>\n";
  writeBytes((dir.path() / "src" / "objects.htm").string(), objects);
  const std::vector<Attributes> objectEmbeds = {
      {{"name", "Label1"},
       {"classid", "CLSID:99B42120-6EC7-11CF-A6C7-00AA00A47DD2"},
       {"width", "200"},
       {"height", "1"},
       {"type", "application/oleobject"},
       {"param_caption", "Hello"}},
      control(kButton, "Go", 72, 23),
      {{"name", "Timer1"},
       {"classid", "CLSID:59CCB4A0-727D-11CF-AC36-00AA00A47DD2"},
       {"type", "application/oleobject"},
       {"param_interval", "1000"},
       {"width", "1"},
       {"height", "1"}},
      scriptReference("objects.AXS"),
  };

  const std::filesystem::path out = dir.path() / "out";
  if (convert(dir.path() / "src" / "objects.htm", out / "objects.htm")) {
    checkInBrowser(chromium, dir, out / "objects.htm", objectEmbeds, 1);
    if (convert(out / "objects.htm", dir.path() / "again" / "objects.htm")) {
      checkInBrowser(chromium, dir, dir.path() / "again" / "objects.htm", objectEmbeds, 1);
    }
  }
  if (convert(dir.path() / "src" / "controls.htm", out / "controls.htm")) {
    checkInBrowser(chromium, dir, out / "controls.htm", controlEmbeds, 12);
    // Converted again: the old guards and reference give way to new ones.
    if (convert(out / "controls.htm", dir.path() / "again" / "controls.htm")) {
      checkInBrowser(chromium, dir, dir.path() / "again" / "controls.htm", controlEmbeds, 12);
    }
  }
  if (convert(dir.path() / "src" / "bob's page.htm", out / "bob's page.htm")) {
    checkInBrowser(chromium, dir, out / "bob's page.htm", {scriptReference("bob's page.AXS", "vbscript")}, 1);
  }

  return testing_support::checkResult();
}
