#include "desktop/terminal/terminal_services.h"

#include <sys/stat.h>

#include <cctype>
#include <istream>
#include <ostream>

#include "engine/driver.h"

namespace desktop {

namespace {

bool isYes(std::string answer) {
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back()))) answer.pop_back();
  const std::size_t start = answer.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  answer.erase(0, start);
  return answer == "y" || answer == "yes";
}

}  // namespace

bool TerminalServices::findPath(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

int TerminalServices::showMessage(const std::string& text, const std::string& /*caption*/, unsigned style) {
  if ((style & mb::kButtonMask) == mb::kYesNo) {
    if (assumeYes_) return mb::kIdYes;
    terminal_.err << text;
    if (!terminal_.interactive) {
      terminal_.err << "\nveradoc: not overwritten (no answer; use --yes to overwrite)\n";
      return mb::kIdNo;
    }
    terminal_.err << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(terminal_.in, answer)) {
      terminal_.err << '\n';
      return mb::kIdNo;
    }
    return isYes(answer) ? mb::kIdYes : mb::kIdNo;
  }
  std::ostream& stream = (style & mb::kIconMask) == mb::kIconHand ? terminal_.err : terminal_.out;
  stream << text << '\n' << std::flush;
  return mb::kIdOk;
}

int TerminalServices::convertFile(engine::ConversionContext& context, const std::string& source,
                                  const std::string& dest) {
  return engine::convertFile(context, source.c_str(), dest.c_str());
}

}  // namespace desktop
