// The three operations of the platform's version-information service, as a
// port, and the one lookup both exports are made of.
//
// On Windows the service is the version library (GetFileVersionInfoSizeA,
// GetFileVersionInfoA, VerQueryValueA); elsewhere it is our own reader of
// the version resource of PE images (pe_resource.h, version_block.h).
#pragma once

#include <cstdint>
#include <string>

namespace fileinfo {

// Query paths of the two exports: language 0409, code page 04E4 (1252).
constexpr const char kFileVersionPath[] = "\\StringFileInfo\\040904E4\\FileVersion";
constexpr const char kCompanyNamePath[] = "\\StringFileInfo\\040904E4\\CompanyName";

class VersionService {
 public:
  virtual ~VersionService() = default;
  // Size of the block that readInfo needs for `file`; 0 when the file has no
  // version information or cannot be read.
  virtual std::uint32_t infoSize(const char* file) = 0;
  // Fills `block` (`size` bytes, zero-filled by the caller) with the file's
  // version information. False when it cannot.
  virtual bool readInfo(const char* file, std::uint32_t size, void* block) = 0;
  // Looks up `subBlock` in a block filled by readInfo. On success *value
  // points into the block (for text: an ANSI string) and *length is the
  // value's length as the service reports it.
  virtual bool queryValue(void* block, std::uint32_t size, const char* subBlock,
                          const char** value, std::uint32_t* length) = 0;
};

// The service of this build: Win32's version library on Windows, our reader elsewhere.
VersionService& platformVersionService();

enum class Lookup {
  Found,          // *value holds the stored string
  NoValue,        // the file has version information, but nothing at the path
  NoVersionInfo,  // no version information (or the file cannot be read)
};

// Reads `file`'s version information into a block of its own, queries it at
// `subBlock` and copies the string found into *value, byte for byte up to its
// terminating zero (which is never looked for beyond the block). The block is
// freed before returning. Never throws.
Lookup lookupFileString(VersionService& service, const char* file, const char* subBlock,
                        std::string* value) noexcept;

}  // namespace fileinfo
