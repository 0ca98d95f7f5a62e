#include "engine/property_files.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/scan.h"
#include "platform/safe_file.h"

namespace engine {

namespace {

constexpr std::size_t kClassIdLength = 36;  // 8-4-4-4-12 digits and four dashes
constexpr std::size_t kGuidBytes = 16;

// Drops a leading "CLSID:" (any case) and then a leading "{".
const char* skipClassIdPrefix(const char* text) {
  if (startsWithNoCase(text, "CLSID:")) text += 6;
  if (*text == '{') ++text;
  return text;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses exactly 8-4-4-4-12 hexadecimal digits into the 16 bytes in text
// order. Whatever follows the last group is ignored.
bool parseClassId(const char* text, unsigned char (&bytes)[kGuidBytes]) {
  static const int kGroupDigits[] = {8, 4, 4, 4, 12};
  std::size_t n = 0;
  for (int group = 0; group < 5; ++group) {
    if (group > 0 && *text++ != '-') return false;
    for (int i = 0; i < kGroupDigits[group]; i += 2) {
      const int high = hexValue(text[0]);
      const int low = high < 0 ? -1 : hexValue(text[1]);
      if (low < 0) return false;
      bytes[n++] = static_cast<unsigned char>(high * 16 + low);
      text += 2;
    }
  }
  return true;
}

// Text order <-> GUID layout: the first three groups are little-endian
// numbers, the last eight bytes keep their order. The mapping is its own
// inverse.
constexpr int kGuidOrder[kGuidBytes] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

// Whether name is a device name of Windows: the part before its first "."
// (trailing spaces and dots removed) is CON, PRN, AUX, NUL, CONIN$, CONOUT$,
// or COM or LPT followed by a digit 1-9 or a superscript 1-3 (as one byte of
// the ANSI code page or as UTF-8), in any case.
bool isDeviceName(std::string_view name) {
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  const auto is = [&](std::string_view device) {
    return name.size() == device.size() && strnicmpAscii(name.data(), device.data(), device.size()) == 0;
  };
  if (is("con") || is("prn") || is("aux") || is("nul") || is("conin$") || is("conout$")) return true;
  if (name.size() < 4 || !(startsWithNoCase(name.data(), "com") || startsWithNoCase(name.data(), "lpt"))) return false;
  const std::string_view number = name.substr(3);
  const auto superscript = [](unsigned char c) { return c == 0xB9 || c == 0xB2 || c == 0xB3; };
  if (number.size() == 1) return (number[0] >= '1' && number[0] <= '9') || superscript(number[0]);
  return number.size() == 2 && static_cast<unsigned char>(number[0]) == 0xC2 && superscript(number[1]);
}

// Whether name can name a file inside the destination's folder on every
// platform: no path separator or drive colon, none of the bytes Windows
// refuses in file names, and not a device name, which would open a device
// instead of a file.
bool usableAsFileName(const char* name) {
  for (const char* p = name; *p; ++p) {
    if (static_cast<unsigned char>(*p) < 32 || std::strchr("\\/:*?\"<>|", *p)) return false;
  }
  return !isDeviceName(name);
}

// Whether the property file at path may be taken for classId: it does not
// exist yet, or it holds the same class identifier.
bool fileIsFreeFor(platform::FileIo& io, const std::string& path, const char* classId) {
  platform::FileIo::Handle handle = platform::FileIo::kNoHandle;
  platform::FileInfo info;
  if (!io.openForReading(path, handle, info)) return true;  // nothing there that can be read
  io.close(handle);
  std::string existing;
  return readOdsClassId(&existing, path.c_str(), io) == 1 && sameClassId(existing.c_str(), classId) == 0;
}

}  // namespace

int nameOdsFile(platform::FileIo& io, const Destination& destination, const char* objectName, std::string* fileName,
                std::string* filePath, const char* classId) {
  if (!fileName || !filePath) return 0;
  fileName->clear();
  filePath->clear();
  std::string base = destination.baseName;
  const std::string& directory = destination.directory;
  if (objectName && *objectName && usableAsFileName(objectName)) base = objectName;
  if (!classId) classId = "";

  std::string name = base + ".ODS";
  for (long n = 1;; ++n) {
    std::string path = directory + name;
    if (path.size() >= kPathCapacity) return 0;
    if (fileIsFreeFor(io, path, classId)) {
      *fileName = std::move(name);
      *filePath = std::move(path);
      return 1;
    }
    name = base + "_" + std::to_string(n) + ".ODS";
  }
}

int writeOdsFile(const char* path, const char* classId, platform::FileIo& io) {
  if (!path || !*path || !classId || std::strlen(classId) < kClassIdLength) return 0;
  unsigned char text[kGuidBytes];
  if (!parseClassId(skipClassIdPrefix(classId), text)) return 0;
  char layout[kGuidBytes];
  for (std::size_t i = 0; i < kGuidBytes; ++i) layout[i] = static_cast<char>(text[kGuidOrder[i]]);
  platform::ReplacementFile file(io, path);
  file.write(std::string_view(layout, kGuidBytes));
  return file.commit() ? 1 : 0;
}

int readOdsClassId(std::string* text, const char* path, platform::FileIo& io) {
  if (!text || !path || !*path) return 0;
  platform::FileIo::Handle handle = platform::FileIo::kNoHandle;
  platform::FileInfo info;
  if (!io.openForReading(path, handle, info)) return 0;
  unsigned char layout[kGuidBytes];
  std::size_t done = 0;
  while (info.kind == platform::FileKind::Regular && done < kGuidBytes) {
    std::size_t got = 0;
    if (!io.read(handle, reinterpret_cast<char*>(layout) + done, kGuidBytes - done, got) || got == 0) break;
    done += got;
  }
  io.close(handle);
  if (done < kGuidBytes) return 0;
  unsigned char b[kGuidBytes];
  for (std::size_t i = 0; i < kGuidBytes; ++i) b[i] = layout[kGuidOrder[i]];
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x}", b[0],
                b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  text->assign(buffer);
  return 1;
}

int sameClassId(const char* a, const char* b) {
  if (!a || !b) return 1;
  return strnicmpAscii(skipClassIdPrefix(a), skipClassIdPrefix(b), kClassIdLength);
}

}  // namespace engine
