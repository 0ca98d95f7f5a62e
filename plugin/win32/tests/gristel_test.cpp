// The gristel stand-in's ordinal 1, as the plug-in calls it.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace harness {
namespace {

typedef HRESULT(WINAPI* ErrorTextsFn)(LCID, HRESULT, BSTR*, BSTR*);

TEST(Gristel, OrdinalOneNamesAndDescribesTheError) {
  HMODULE gristel = LoadLibraryA("GRISTEL.DLL");
  ASSERT_NE(nullptr, gristel);
  auto texts = reinterpret_cast<ErrorTextsFn>(reinterpret_cast<void*>(GetProcAddress(gristel, MAKEINTRESOURCEA(1))));
  ASSERT_NE(nullptr, texts);
  struct Case {
    HRESULT code;
    const wchar_t* id;
  };
  const Case cases[] = {{DISP_E_UNKNOWNNAME, L"0x80020006"},
                        {E_FAIL, L"0x80004005"},
                        {HRESULT(0x80070005), L"0x80070005"},
                        {HRESULT(0x8BADF00D), L"0x8BADF00D"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code);
    BSTR id = nullptr, description = nullptr;
    EXPECT_EQ(S_OK, texts(GetUserDefaultLCID(), c.code, &id, &description));
    ASSERT_NE(nullptr, id);
    ASSERT_NE(nullptr, description);
    EXPECT_EQ(std::wstring(c.id), std::wstring(id, SysStringLen(id)));
    const std::wstring text(description, SysStringLen(description));
    EXPECT_FALSE(text.empty());
    EXPECT_NE(L'\n', text.back());
    EXPECT_NE(L'\r', text.back());
    SysFreeString(id);
    SysFreeString(description);
  }
  EXPECT_EQ(S_OK, texts(GetUserDefaultLCID(), E_FAIL, nullptr, nullptr));
  FreeLibrary(gristel);
}

}  // namespace
}  // namespace harness
