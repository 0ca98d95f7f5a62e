// Records the plug-in hands the hosting engine: its own copies of the
// browser's structures, filled anew for one call. Every field is 32-bit
// little-endian; pointers travel as 32-bit fields (a build with wider
// pointers would have to widen them in agreement with the engine).
#pragma once

#include <cstddef>
#include <cstdint>

namespace npkirra {

struct StreamRecord {
  uint32_t size;  // 28
  uint32_t url;
  uint32_t stream;  // the browser's NPStream*, passed back to the host object's stream calls
  uint32_t pdata;   // the engine's per-stream data
  uint32_t end;
  uint32_t lastmodified;
  uint32_t notifyData;  // 0 under the older table generation
};

struct WindowRecord {
  uint32_t size;  // 24
  uint32_t window;
  int32_t x, y;
  uint32_t width, height;
};

struct PrintRecord {
  uint32_t size;  // 36
  uint16_t mode;  // 1 embedded, 2 full page
  uint16_t padding;
  uint32_t pluginPrinted;  // full page only
  uint32_t printOne;       // full page only
  int32_t x, y;            // embedded only
  uint32_t width, height;  // embedded only
  uint32_t platformPrint;
};

struct SavedDataRecord {
  int32_t length;
  uint32_t buffer;
};

// One entry of the array the engine gives the host object's RequestRead.
struct ByteRangePair {
  int32_t offset;
  uint32_t length;
};

static_assert(sizeof(StreamRecord) == 28 && offsetof(StreamRecord, notifyData) == 24, "StreamRecord");
static_assert(sizeof(WindowRecord) == 24 && offsetof(WindowRecord, height) == 20, "WindowRecord");
static_assert(sizeof(PrintRecord) == 36 && offsetof(PrintRecord, pluginPrinted) == 8 &&
                  offsetof(PrintRecord, x) == 16 && offsetof(PrintRecord, platformPrint) == 32,
              "PrintRecord");
static_assert(sizeof(SavedDataRecord) == 8, "SavedDataRecord");
static_assert(sizeof(ByteRangePair) == 8, "ByteRangePair");

}  // namespace npkirra
