# GoogleTest for both builds: Debian's package natively, built from Debian's
# source (/usr/src/googletest) for the cross build.
include(GoogleTest)

if(WIN32)
  # A prefix of the build's own bitness: a 64-bit program needs a 64-bit
  # prefix, and a 32-bit one writes its HKCR keys where it belongs only in a
  # 32-bit prefix (a 64-bit prefix files them under Wow6432Node).
  # The loader is of the same bitness too: Debian's `wine` always starts the
  # 32-bit loader, and a program named by its Windows name (regsvr32, reg)
  # then runs as the 32-bit one from syswow64, which sees the 32-bit
  # registry view.
  set(TW_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TW_WINEARCH win64)
    find_program(TW_WINE64 wine64 PATHS /usr/lib/wine /usr/lib64/wine /opt/wine-stable/bin)
    if(TW_WINE64)
      set(TW_WINE ${TW_WINE64})
    else()
      message(WARNING "no 64-bit Wine loader (wine64) found: the 64-bit tests cannot run")
      set(TW_WINE wine)
    endif()
  else()
    set(TW_WINEARCH win32)
    set(TW_WINE wine)
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-env.sh.in ${CMAKE_BINARY_DIR}/wine-env.sh @ONLY)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

if(TW_BUILD_TESTS)
  if(WIN32)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    # The tools build without GoogleTest (the terminal wrappers need nothing
    # more than a compiler, CMake and Ninja); only the tests need it.
    find_package(GTest QUIET)
    if(NOT GTest_FOUND)
      message(WARNING "GoogleTest (Debian: libgtest-dev) not found: building the tools without their tests")
      set(TW_BUILD_TESTS OFF)
    endif()
  endif()
endif()

# GoogleTest's header, compiled once for every test: most of a test file's
# compile time is spent on it.
if(TW_BUILD_TESTS)
  file(WRITE ${CMAKE_BINARY_DIR}/tw_gtest_pch.cpp "// the precompiled GoogleTest header's own file\n")
  add_library(tw_gtest_pch STATIC ${CMAKE_BINARY_DIR}/tw_gtest_pch.cpp)
  target_link_libraries(tw_gtest_pch PRIVATE GTest::gtest)
  target_precompile_headers(tw_gtest_pch PRIVATE <gtest/gtest.h> <string> <vector> <filesystem>)
endif()

# tw_add_gtest(NAME SOURCES... [LIBS libs...] [PROPERTIES props...])
# One test executable; every test case becomes a CTest test (under Wine in the
# Windows build, discovered at test time so that nothing runs Wine while building).
function(tw_add_gtest name)
  if(NOT TW_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tw_testing GTest::gtest_main GTest::gtest)
  target_precompile_headers(${name} REUSE_FROM tw_gtest_pch)
  set(props TIMEOUT 120 ${T_PROPERTIES})
  if(WIN32)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} PROPERTIES ${props})
  else()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} PROPERTIES ${props})
  endif()
endfunction()
