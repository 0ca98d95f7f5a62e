// Property files: the .ODS file beside a converted page that holds one
// object's class identifier, so that the plug-in can create the control.
//
// A property file is exactly 16 bytes, the class identifier in the binary
// layout of a GUID: the first group as a little-endian 32-bit number, the
// second and third as little-endian 16-bit numbers, then the eight bytes of the
// last two groups in text order. No header, no trailer.
//
// Class identifier texts come in three forms: "CLSID:" (any case) followed by
// the 36-character identifier, the identifier in braces, or the bare
// identifier.
#pragma once

#include <string>

#include "engine/context.h"
#include "engine/destination.h"

namespace engine {

// Chooses the property file of an object: the object's name (or, when it is
// empty, the page's base name) with ".ODS", in the destination's directory. An
// existing file of that name is reused when it holds the same class
// identifier; otherwise "%s_%d.ODS" with n = 1, 2, ... until a name is free or
// holds the same class. Stores the file name alone (for the SRC attribute) in
// fileName and the full path in filePath.
//
// Returns 0, leaving both outputs empty, when no name fits a path buffer
// (kPathCapacity bytes, NUL included). An object name that cannot name a file
// inside the destination's folder on every platform (a path separator, a
// drive colon, a byte Windows refuses in file names, a device name such as
// CON, "com1.x" or "NUL  ") is not used: such an object is named like an unnamed one, after the
// page.
int nameOdsFile(platform::FileIo& io, const Destination& destination, const char* objectName, std::string* fileName,
                std::string* filePath, const char* classId);

// Writes the 16-byte property file for classId at path (created or truncated,
// binary; an existing file is replaced safely). Returns 1 on success; 0 when the identifier is not usable (shorter
// than 36 characters, or not exactly 8-4-4-4-12 hexadecimal digits after an
// optional "CLSID:" and an optional "{") or the file cannot be written whole.
int writeOdsFile(const char* path, const char* classId, platform::FileIo& io = platform::systemFileIo());

// Reads the first 16 bytes of the file at path and stores them in text as the
// braced lower-case identifier ("{%02x%02x%02x%02x-...}", 38 characters).
// Returns 1 when all 16 bytes were read; 0 otherwise (also for anything but a
// regular file), at once for an empty path or a null text.
int readOdsClassId(std::string* text, const char* path, platform::FileIo& io = platform::systemFileIo());

// 0 when the two identifier texts denote the same class, non-zero otherwise.
// From each a leading "CLSID:" (any case) and then a leading "{" are dropped;
// the next 36 characters are compared ignoring case. A null text never
// matches.
int sameClassId(const char* a, const char* b);

}  // namespace engine
