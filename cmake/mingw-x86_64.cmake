# Cross build for 64-bit Windows with mingw-w64; tests run under Wine in a
# 64-bit prefix. Only the shell extension and what it is made of are built:
# 64-bit Explorer loads in-process servers of its own bitness only.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TW_MINGW_PREFIX x86_64-w64-mingw32)
set(TW_MINGW_DLL_LINKER_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
