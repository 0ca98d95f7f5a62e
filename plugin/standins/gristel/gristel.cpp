// Stand-in for the outside error-message library gristel: its one export,
// ordinal 1, names an HRESULT ("0x80020006") and describes it with the
// system's message table. The caller frees both strings.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

// The system's text for `id`, without its trailing line end; empty if none.
std::string systemMessage(DWORD id, LANGID language) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, id,
      language, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text ? text : "", text ? length : 0);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

// Texts for common Automation errors, for systems whose message table has
// none for them.
const char* knownDescription(HRESULT error) {
  struct Known {
    HRESULT code;
    const char* text;
  };
  static const Known kKnown[] = {
      {DISP_E_UNKNOWNINTERFACE, "Unknown interface."},
      {DISP_E_MEMBERNOTFOUND, "Member not found."},
      {DISP_E_PARAMNOTFOUND, "Parameter not found."},
      {DISP_E_TYPEMISMATCH, "Type mismatch."},
      {DISP_E_UNKNOWNNAME, "Unknown name."},
      {DISP_E_NONAMEDARGS, "No named arguments."},
      {DISP_E_BADVARTYPE, "Bad variable type."},
      {DISP_E_EXCEPTION, "Exception occurred."},
      {DISP_E_OVERFLOW, "Out of present range."},
      {DISP_E_BADINDEX, "Invalid index."},
      {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
      {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
      {E_POINTER, "Invalid pointer."},
      {E_NOINTERFACE, "No such interface supported."},
      {E_NOTIMPL, "Not implemented."},
  };
  for (const Known& k : kKnown)
    if (k.code == error) return k.text;
  return nullptr;
}

BSTR toBstr(const std::string& text) {
  const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, UINT(chars));
  if (result && chars > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), result, chars);
  return result;
}

}  // namespace

extern "C" HRESULT WINAPI gristelErrorTexts(LCID locale, HRESULT error, BSTR* identification, BSTR* description) {
  char id[16];
  std::snprintf(id, sizeof id, "0x%08lX", static_cast<unsigned long>(error));
  std::string text = systemMessage(DWORD(error), LANGIDFROMLCID(locale));
  if (text.empty()) text = systemMessage(DWORD(error), 0);
  if (text.empty() && HRESULT_FACILITY(error) == FACILITY_WIN32) text = systemMessage(HRESULT_CODE(error), 0);
  if (text.empty() && knownDescription(error)) text = knownDescription(error);
  if (text.empty()) text = "No description is available for this error.";
  if (identification) *identification = toBstr(id);
  if (description) *description = toBstr(text);
  return S_OK;
}
