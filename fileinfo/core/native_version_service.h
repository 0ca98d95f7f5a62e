// The version-information service over our own reader, for builds without
// the platform's version library (and for comparing with it under Wine).
//
// Its block is the version resource followed by an area of the same size
// where text values are put as ANSI (code page 1252) strings when queried:
// a value at offset p of the resource goes to the area's offset p / 2, which
// always has room for it and its terminator.
#pragma once

#include "fileinfo/core/version_service.h"

namespace fileinfo {

class NativeVersionService final : public VersionService {
 public:
  std::uint32_t infoSize(const char* file) override;
  bool readInfo(const char* file, std::uint32_t size, void* block) override;
  bool queryValue(void* block, std::uint32_t size, const char* subBlock, const char** value,
                  std::uint32_t* length) override;
};

}  // namespace fileinfo
