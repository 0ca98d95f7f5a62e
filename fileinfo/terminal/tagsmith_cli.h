// The native `tagsmith FILE...` command: prints each file's version string
// and company name as the library's two functions find them.
#pragma once

#include <cstdio>

#include "fileinfo/core/version_service.h"

namespace fileinfo {

// Exit status: 0 when every file had at least one of the two strings, 1 when
// some file had neither, 2 when a file could not be opened or the command
// line was wrong (this one wins).
int runTagsmith(int argc, const char* const* argv, VersionService& service, std::FILE* out,
                std::FILE* err);

}  // namespace fileinfo
