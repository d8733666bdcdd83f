# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads, so
# that std::thread works). Used for the game and for the libraries that
# scripts/windows-deps.sh builds from Debian's source packages.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TRIPATH_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TRIPATH_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRIPATH_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TRIPATH_MINGW}-windres)
set(CMAKE_AR ${TRIPATH_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TRIPATH_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TRIPATH_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread go inside each executable and DLL,
# so the download needs no MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
