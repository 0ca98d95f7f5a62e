// tagsmith: a file's version string and company name, read from the
// "\StringFileInfo\040904E4" block of its version resource.
//
// `file` is a zero-terminated ANSI path; `destination` may be null, and
// otherwise must have room for the whole stored string and its terminator.
// The string is copied exactly as stored. When the file has no value at the
// path (no version resource, another language or code page, no such string)
// an empty string is written. The result is 1 on every path.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#define WINAPI
#endif

#ifdef __cplusplus
extern "C" {
#endif

int WINAPI GetTagsmithString(const char* file, char* destination);     // ordinal 2
int WINAPI GetCompanyNameString(const char* file, char* destination);  // ordinal 3

#ifdef __cplusplus
}
#endif
