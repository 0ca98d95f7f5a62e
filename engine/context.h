// The engine's state between a front end and a conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/timestamp.h"
#include "platform/file_io.h"

namespace engine {

// One per front end (per dialog, per context-menu object), reused conversion
// after conversion. Callers set useOdsFiles before a call and read appendix
// after it.
struct ConversionContext {
  // Bytes actually read from the source (after CR LF -> LF).
  std::uint64_t inputLength = 0;
  // Size of the source file in bytes.
  std::uint64_t sourceSize = 0;
  // 1 when objects get .ODS property files; any other value means not.
  std::uint32_t useOdsFiles = 0;
  // Conversion comments of the last run, written after the converted page.
  // Empty (no value) when the run made no change that it reports. Lives until
  // the next conversion starts or the context is destroyed.
  std::optional<std::string> appendix;
  // Offset in the output of the "</OBJECT>" that closes the most recently
  // converted object; meaningful only during the tag loop.
  std::optional<std::size_t> lastObjectClose;
  // Object start tags found by the pre-pass (output sizing).
  std::int32_t objectCount = 0;
  // Time source of conversion comments, shown as local time, or as UTC when
  // utcTimes is true (reproducible output).
  Clock clock = systemClock();
  bool utcTimes = false;
  // The files a conversion reads and writes go through this port.
  platform::FileIo* fileIo = &platform::systemFileIo();
  // Paths the caller has just found free (nothing of that name, not even a
  // link), as the conversion will name them: a file written there is not
  // looked up again (see platform::ReplacementFile). The caller sets them
  // for one conversion; they are cleared when it ends.
  std::vector<std::string> pathsSeenAbsent;
  // Why the last conversion failed, naming the file ("cannot read 'x.htm':
  // Permission denied"); empty after a success. The result 1/0 stays the
  // answer callers act on; this is for people to read.
  std::string failure;
  // The time of the last conversion comment and its text: formatting a time
  // is costly and a conversion usually stamps every comment with the same
  // second. Forgotten when a conversion starts.
  std::optional<std::time_t> stampTime;
  char stampText[26] = {};
};

}  // namespace engine
