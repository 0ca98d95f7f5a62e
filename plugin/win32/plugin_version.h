// Registration texts of the plug-in's version resource; shared by the .rc
// script and the tests that read the resource back.
#pragma once

#include "common/version.h"

#define NPKIRRA_MIME_TYPES "application/olescript|application/x-oleobject|application/oleobject"
#define NPKIRRA_FILE_EXTENTS "axs|ods|ole"
#define NPKIRRA_FILE_OPEN_NAMES \
  "ActiveX Script (*.axs)|ActiveX Control Properties (*.stm)|ActiveX Control Properties (*.ole)"

// The string block: US English, Windows ANSI (code page 1252).
#define NPKIRRA_VERSION_BLOCK "040904E4"
#define NPKIRRA_VERSION_TEXT TW_VERSION_TEXT
