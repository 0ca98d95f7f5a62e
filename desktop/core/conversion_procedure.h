// The conversion sequence behind the Convert button, written once over the four
// services it needs, so that the Win32 dialog and the terminal converter share
// it and tests can script every answer.
#pragma once

#include <string>

#include "engine/context.h"
#include "platform/user_interface.h"

namespace desktop {

// Message box styles and answers, with the values of the Windows API.
namespace mb = platform::mb;

// What the conversion procedure needs from its surroundings.
class ConversionServices {
 public:
  virtual ~ConversionServices() = default;
  // The path names something that exists, looked up in the platform's
  // default search order.
  virtual bool findPath(const std::string& path) = 0;
  // Shows a message box owned by the front end; returns the button pressed
  // (mb::kIdOk, mb::kIdYes, mb::kIdNo).
  virtual int showMessage(const std::string& text, const std::string& caption, unsigned style) = 0;
  // The raw state of the "Use ODS files." check box (as BM_GETSTATE answers).
  virtual unsigned odsCheckBoxState() = 0;
  // The engine: converts source into dest; 1 for success, 0 for failure.
  virtual int convertFile(engine::ConversionContext& context, const std::string& source,
                          const std::string& dest) = 0;
};

// How one press of Convert ended.
enum class ConversionOutcome {
  SourceMissing,         // "File error!" shown, nothing converted
  OverwriteDeclined,     // the destination exists and the answer was not Yes
  ConversionFailed,      // the engine returned 0; "Conversion error!" shown
  Converted,             // success, the page needed no reported change
  ConvertedWithChanges,  // success, the engine recorded changes (appendix set)
};

// Runs the seven steps of Convert: checks that source exists, asks before
// overwriting an existing dest, stores the check box's low two bits in
// context.useOdsFiles, calls the engine and reports the result in a message
// box. Every box the procedure shows goes through services.showMessage.
ConversionOutcome performConversion(engine::ConversionContext& context, const std::string& source,
                                    const std::string& dest, ConversionServices& services);

}  // namespace desktop
