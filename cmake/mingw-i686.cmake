# Cross build for 32-bit Windows with mingw-w64; tests run under Wine in a
# 32-bit prefix. Every deliverable is built.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TW_MINGW_PREFIX i686-w64-mingw32)
# The .def files list plain names; the stdcall functions behind them are
# decorated (Name@12) on this target only.
set(TW_MINGW_DLL_LINKER_FLAGS "-Wl,--enable-stdcall-fixup")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
