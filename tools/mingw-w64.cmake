# Cross build for 64-bit Windows with Debian's mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=tools/mingw-w64.cmake
# Tests run under wine, in a prefix of the build's own (see `make test-windows`).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
# The POSIX-threads flavour, whatever the alternatives point at: the win32
# one has no std::mutex, which googletest needs. Linked statically, its
# thread library adds no DLL.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable carries its own C++ runtime: nothing to ship beside it,
# and wine finds no mingw DLL to load either.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# No window may pop up while the prefix is made or a test runs, and Mono
# and Gecko are never asked for.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR env -u DISPLAY WINEPREFIX=${CMAKE_BINARY_DIR}/wine
      WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine)
endif()
