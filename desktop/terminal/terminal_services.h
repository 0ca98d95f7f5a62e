// The conversion procedure's services on a terminal.
#pragma once

#include "desktop/core/conversion_procedure.h"
#include "desktop/terminal/terminal_converter.h"

namespace desktop {

class TerminalServices : public ConversionServices {
 public:
  TerminalServices(Terminal& terminal, bool useOdsFiles, bool assumeYes)
      : terminal_(terminal), useOdsFiles_(useOdsFiles), assumeYes_(assumeYes) {}

  // The path as given (relative to the current directory): the engine opens
  // exactly that path, so no search order applies here.
  bool findPath(const std::string& path) override;
  // Prints the text. A Yes/No question is answered by --yes, else asked on an
  // interactive terminal (y or yes answers Yes); no answer counts as No.
  int showMessage(const std::string& text, const std::string& caption, unsigned style) override;
  // 1 with --ods, else 0.
  unsigned odsCheckBoxState() override { return useOdsFiles_ ? 1u : 0u; }
  int convertFile(engine::ConversionContext& context, const std::string& source, const std::string& dest) override;

 private:
  Terminal& terminal_;
  bool useOdsFiles_;
  bool assumeYes_;
};

}  // namespace desktop
