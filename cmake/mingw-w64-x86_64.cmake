# Cross build of a native 64-bit Windows quillery.exe from Linux with
# MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix). The programs are linked
# statically, so they need no DLL beside them, and CTest runs the tests
# through wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and the threads library go into the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(QUILLERY_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUILLERY_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLERY_WINE})
  # wine shows the Linux root as drive Z:, so the tests find the source tree
  # and the sample parts there.
  set(QUILLERY_TEST_PATH_PREFIX "Z:" CACHE STRING "Prefix of absolute paths seen by the tests")
endif()
