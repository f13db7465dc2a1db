# Warnings are errors everywhere in our own code.
function(krax_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
    -Wno-error=deprecated-declarations)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
    # GCC 12 at -O3 reports impossible overlaps inside std::string's own copies
    # (operator+ and assign on short strings): a known false positive of that release.
    if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
endfunction()

# A library made of every source below its folder (so that new files need no list edit).
# LINKS are what its headers expose (PUBLIC); PRIVATE_LINKS what only its sources use.
# System-specific sources by their suffix: *_windows.cpp only on Windows, *_posix.cpp
# everywhere else.
function(krax_library name)
  cmake_parse_arguments(ARG "" "" "LINKS;PRIVATE_LINKS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(WIN32)
    list(FILTER srcs EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER srcs EXCLUDE REGEX "_windows\\.cpp$")
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  krax_warnings(${name})
endfunction()

# A program that runs on Windows too: there its manifest makes UTF-8 the code page of the
# C library's file names (fopen, streams) and of its arguments, as on Linux.
function(krax_program target)
  if(WIN32)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/windows/utf8.rc)
  endif()
endfunction()
