#include "engine/testing/page_generator.h"

namespace engine::corpus {

std::string generatedPage(Lcg& rng) {
  static const char* const kFragments[] = {
      "\n", "    ", "text ", "<P>", "</P>\n", "<!-- note -->", "<!--", "-->", "<", ">",
      "<OBJECT ID=\"Label1\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" WIDTH=0>\n",
      "<OBJECT CLASSID=\"clsid:{3472d900-5a27-11cf-8b11-00aa00c00903}\">",
      "<OBJECT CLASSID=\"CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF\" ID=\"Layout1\"\n CODEBASE=\"x.cab\">",
      "<OBJECT DATA=\"movie.ods\" TYPE=\"video/x\" HEIGHT=50>", "    <PARAM NAME=\"Caption\" VALUE=\"Hi\">\n",
      "<PARAM NAME=\"ALXPATH\" VALUE=\"page.alx\">", "<PARAM VALUE=\"nameless\">",
      "<EMBED TYPE=\"application/oleobject\" CLASSID=\"x\">\n", "</OBJECT>\n", "<EMBED SRC=\"old.AXS\" WIDTH=1>",
      "<SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Go()\n  MsgBox \"go\"\nEnd Sub\n-->\n</SCRIPT>\n",
      "<SCRIPT LANGUAGE=\"VBScript\" FOR=\"B1\" EVENT=\"onClick\">\n<!--\n  MsgBox 1\n-->\n</SCRIPT>\n",
      "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\nvar a = 1;\n-->\n</SCRIPT>\n", "<SCRIPT>x</SCRIPT>",
      "<BODY LANGUAGE=\"VBScript\" onLoad=\"MsgBox 0\" onUnload=\"MsgBox 9\">\n",
      "<INPUT TYPE=button NAME=B1 VALUE=\"Go there now\" onClick=\"MsgBox 2\">\n",
      "<INPUT TYPE=checkbox NAME=C1 CHECKED=True>\n", "<INPUT TYPE=text NAME=T1 VALUE=v LANGUAGE=JavaScript>\n",
      "<FORM>", "</FORM>\n", "</BODY>\n", "</HTML>\n"};
  std::string page;
  const std::uint32_t count = 5 + rng.next(60);
  for (std::uint32_t i = 0; i < count; ++i) page += kFragments[rng.next(sizeof kFragments / sizeof kFragments[0])];
  return page;
}

std::string wellFormedObjectPage(Lcg& rng, bool withScript, int* objects) {
  static const char* const kAttributes[] = {
      " ID=\"Obj\"", " NAME=\"Named\"", " DATA=\"movie.avi\"", " DATA=\"clip.ods\"", " TYPE=\"video/x-msvideo\"",
      " CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"", " WIDTH=10", " HEIGHT=0", " WIDTH=\"50%\"",
      "\n  CODEBASE=\"x.cab\"", " ID=\"my.obj\"", " CLASSID=\"CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF\""};
  static const char* const kContent[] = {"<PARAM NAME=\"Caption\" VALUE=\"Hi\">", "<PARAM NAME=\"ALXPATH\" VALUE=\"a.alx\">",
                                         "<PARAM VALUE=\"nameless\">", "<P>fallback</P>", "text"};
  static const char* const kIndents[] = {"", "  ", "\t", "        "};
  std::string page = "<HTML><BODY>\n";
  const int count = static_cast<int>(1 + rng.next(5));
  for (int i = 0; i < count; ++i) {
    const std::string indent = kIndents[rng.next(4)];
    page += indent + "<OBJECT";
    // A class identifier always, so that every object can have a property file.
    page += rng.next(2) ? kAttributes[5] : kAttributes[11];
    for (std::uint32_t a = rng.next(5); a > 0; --a) page += kAttributes[rng.next(sizeof kAttributes / sizeof *kAttributes)];
    page += ">\n";
    for (std::uint32_t c = rng.next(4); c > 0; --c)
      page += indent + "  " + kContent[rng.next(sizeof kContent / sizeof *kContent)] + "\n";
    page += indent + "</OBJECT>\n<P>text " + std::to_string(i) + "</P>\n";
  }
  if (withScript) page += "<SCRIPT LANGUAGE=\"VBScript\">\nSub Go\nEnd Sub\n</SCRIPT>\n";
  page += "</BODY></HTML>\n";
  *objects = count;
  return page;
}

}  // namespace engine::corpus
