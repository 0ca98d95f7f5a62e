// The conversion sequence behind the Convert button, written once over the
// platform's file-system and message-box ports, so that the Win32 dialog and
// the terminal converter share it and tests can script every answer.
#pragma once

#include <functional>
#include <string>

#include "engine/context.h"
#include "engine/driver.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace desktop {

// Message box styles and answers, with the values of the Windows API.
namespace mb = platform::mb;

// The platform operations of Convert.
struct ConversionPorts {
  platform::FileSystem& files;    // looks the source and the destination up (findPath)
  platform::MessageBoxes& boxes;  // owned by the dialog on Windows
  // The engine: converts source into dest; 1 for success, 0 for failure.
  std::function<int(engine::ConversionContext&, const char*, const char*)> convert = engine::convertFile;
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
// overwriting an existing dest, stores the low two bits of the "Use ODS
// files." check box's state (as BM_GETSTATE answers) in context.useOdsFiles,
// calls the engine and reports the result in a message box.
ConversionOutcome performConversion(engine::ConversionContext& context, const std::string& source,
                                    const std::string& dest, unsigned odsCheckBoxState, ConversionPorts& ports);

}  // namespace desktop
