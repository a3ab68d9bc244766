# Cross-compiling for 64-bit Windows with Debian's MinGW-w64. Qt needs the posix thread model
# (std::thread, std::mutex), which only the -posix variants of the compilers have.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KVZ_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KVZ_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVZ_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KVZ_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KVZ_MINGW})
# Libraries and headers for Windows only, never the host's; packages (Qt's host tools among
# them) from either side.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
