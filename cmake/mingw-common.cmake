# What both mingw-w64 cross builds share; the toolchain file of each target
# sets CMAKE_SYSTEM_PROCESSOR and TW_MINGW_PREFIX, then includes this.
# The posix-thread compilers are needed: GoogleTest uses std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TW_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Every EXE and DLL carries its runtime: only system DLLs and msvcrt are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static ${TW_MINGW_DLL_LINKER_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static ${TW_MINGW_DLL_LINKER_FLAGS}")
