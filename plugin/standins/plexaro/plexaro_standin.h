// Stand-in for the outside hosting engine plexaro: CreateNetscapeInstance
// makes an engine instance object that hosts nothing but records every call
// (with the bytes of the record it received) and answers as scripted.
// The recording and script are read and set by tests through the exports
// below (cdecl, undecorated).
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/win32/engine_interfaces.h"

namespace plexaro {

// Call kinds: positions in the IPluginInstance/IPluginInstance2 table, and
// two of our own.
enum CallKind : int32_t {
  kCallCreate = 100,  // CreateNetscapeInstance
  kCallFinalRelease = 101,  // the object's count reached 0
  kCallNew = 4,
  kCallDestroy = 5,
  kCallSetWindow = 6,
  kCallNewStream = 7,
  kCallWriteReady = 8,
  kCallWrite = 9,
  kCallDestroyStream = 10,
  kCallStreamAsFile = 11,
  kCallPrint = 12,
  kCallURLNotify = 14,
};

struct EngineCall {
  int32_t kind;
  int32_t instance;   // 1-based number of the engine object; 0 for a refused creation
  uint32_t args[6];   // the scalar arguments, in order, widened to 32 bits
  uint32_t recordSize;
  uint8_t record[40];  // the record argument's bytes as received
  char text[64];       // the string argument (MIME type, file name, URL), cut
  uint8_t data[16];    // the first bytes of a Write buffer
};

// How the stand-in answers. Reset by PlexaroStandinReset.
struct EngineScript {
  HRESULT createResult;  // a negative value refuses creation
  BOOL keepHost;         // take and keep a reference on the host object
  BOOL answerInstance2;  // answer IPluginInstance2
  LONG result;           // returned by New, Destroy, SetWindow, NewStream, DestroyStream
  LONG writeReadyResult;
  LONG writeResult;      // -1: report the write's full length
  uint16_t streamType;   // written through NewStream's stype when not 0
  uint32_t pdata;        // written into the StreamRecord's pdata by stream calls when not 0
  int32_t printFlags;    // >= 0: Print sets pluginPrinted to its low byte and printOne to the next
};

constexpr int kMaxCalls = 256;
constexpr int kMaxInstances = 64;

}  // namespace plexaro

extern "C" {
plexaro::EngineScript* PlexaroStandinScript();
void PlexaroStandinReset();
int PlexaroStandinCallCount();
const plexaro::EngineCall* PlexaroStandinCall(int index);
// The engine object numbered `instance` (1-based), its current count, and
// the host object it keeps (null unless the script said keepHost).
npkirra::IPluginInstance* PlexaroStandinInstance(int instance);
LONG PlexaroStandinRefs(int instance);
npkirra::IBrowserHost* PlexaroStandinHost(int instance);
}
