# Cross-building the Windows programs with Debian's mingw-w64 (POSIX threads flavour), e.g.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Everything links statically, so that the programs need no DLL beside them.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

# Unicode entry points of the Windows API; no min/max macros.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)

# The static libraries scripts/setup-windows-deps builds (minizip, GoogleTest).
if(KRAX_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KRAX_WINDOWS_DEPS})
  set(ENV{PKG_CONFIG_LIBDIR} ${KRAX_WINDOWS_DEPS}/lib/pkgconfig)
endif()
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs run under Wine (the prefix comes from WINEPREFIX; see scripts/run-windows-tests).
find_program(KRAX_WINE NAMES wine64 wine)
if(KRAX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KRAX_WINE})
endif()
