# Cross-builds for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix,
# mingw-w64-x86-64-dev). Only the window-free configuration builds this way
# (-DQM_GUI=OFF): there is no Qt for MinGW here.
#
#   cmake -S . -B build-windows -DQM_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
#         -DQM_GTEST_SOURCE_DIR=/usr/src/googletest
#
# Everything is linked statically, so the programs and tests need no MinGW DLLs
# beside them. Tests and build steps that run a built program (the archive
# appender) run it through Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QM_MINGW_PREFIX x86_64-w64-mingw32)
# The "-posix" compilers carry std::thread and std::mutex.
set(CMAKE_C_COMPILER ${QM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs in a prefix of the build's own (a first start makes it, in about
# ten seconds), never the user's ~/.wine, and without its debug chatter.
find_program(QM_WINE wine)
if(QM_WINE)
    set(QM_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix CACHE PATH "Wine prefix for tests and build steps")
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${QM_WINEPREFIX} WINEDEBUG=-all ${QM_WINE})
endif()
