# The mingw-w64 compilers (POSIX threads flavour) and where they find libraries, without any
# of the project's own settings: the toolchain scripts/setup-windows-qt builds Qt with.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KRAX_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KRAX_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KRAX_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KRAX_MINGW_HOST}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KRAX_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -s")
