#include "bench/pages.h"

namespace bench {

namespace {

// Repeats unit (with a running number spliced in where "#" stands) until the
// page holds at least `bytes` bytes, inside a minimal document frame.
std::string repeatUnit(std::size_t bytes, const std::string& head, const std::string& unit, const std::string& tail) {
  std::string page = head;
  page.reserve(bytes + unit.size() * 2 + tail.size());
  for (std::size_t n = 0; page.size() + tail.size() < bytes; ++n) {
    for (char c : unit) {
      if (c == '#') page += std::to_string(n);
      else page += c;
    }
  }
  page += tail;
  return page;
}

}  // namespace

std::string plainTextPage(std::size_t bytes) {
  return repeatUnit(bytes, "<HTML>\n<HEAD><TITLE>Plain</TITLE></HEAD>\n<BODY>\n",
                    "<P>Paragraph # of a long page of ordinary prose, the kind that fills most of the web: words, "
                    "sentences, now and then an <A HREF=\"page#.htm\">anchor</A> and some <B>bold</B> text. Lorem "
                    "ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore "
                    "et dolore magna aliqua.</P>\n",
                    "</BODY>\n</HTML>\n");
}

std::string tagDensePage(std::size_t bytes) {
  return repeatUnit(bytes, "<HTML>\n<HEAD><TITLE>Dense</TITLE></HEAD>\n<BODY BGCOLOR=\"#FFFFFF\">\n<TABLE BORDER=0>\n",
                    "<TR><TD CLASS=c#><A HREF=\"x#.htm\"><IMG SRC=\"i#.gif\" WIDTH=16 HEIGHT=16 ALT=\"i\"></A></TD>"
                    "<TD><FONT FACE=\"Arial\" SIZE=2>#</FONT><!-- row # --><BR></TD></TR>\n",
                    "</TABLE>\n</BODY>\n</HTML>\n");
}

std::string convertiblePage(std::size_t bytes) {
  return repeatUnit(
      bytes,
      "<HTML>\n<HEAD><TITLE>Controls</TITLE>\n<SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Window_OnLoad()\n"
      "  Label0.Caption = \"ready\"\nEnd Sub\n-->\n</SCRIPT>\n</HEAD>\n"
      "<BODY LANGUAGE=\"VBScript\" onLoad=\"MsgBox 1\" onUnload=\"MsgBox 2\">\n",
      "<P>Item #</P>\n"
      "    <OBJECT ID=\"Label#\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" WIDTH=100>\n"
      "        <PARAM NAME=\"Caption\" VALUE=\"Hello #\">\n"
      "        <PARAM NAME=\"FontSize\" VALUE=\"12\">\n"
      "    </OBJECT>\n"
      "<SCRIPT LANGUAGE=\"VBScript\" FOR=\"Button#\" EVENT=\"onClick\">\n<!--\n  MsgBox \"clicked #\"\n-->\n</SCRIPT>\n"
      "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\n  var x# = #;\n-->\n</SCRIPT>\n"
      "<INPUT TYPE=button NAME=\"Button#\" VALUE=\"Press #\" onClick=\"MsgBox #\">\n"
      "<INPUT TYPE=text NAME=\"Text#\" VALUE=\"v#\">\n"
      "<FORM><INPUT TYPE=checkbox NAME=\"Check#\" CHECKED></FORM>\n",
      "</BODY>\n</HTML>\n");
}

}  // namespace bench
