// The one call of the outside error-message library gristel, imported from
// GRISTEL.DLL by ordinal 1 (stdcall). It returns two Automation strings, an
// identification of the error and its description, which the caller frees.
#pragma once

#include <windows.h>
#include <oleauto.h>

extern "C" HRESULT WINAPI gristelErrorTexts(LCID locale, HRESULT error, BSTR* identification, BSTR* description);
