# Cross-builds the Windows (x64) tree with Debian's MinGW-w64 compilers and runs what it builds
# under Wine:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVEX_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX threading flavour: the win32 one of this compiler generation has no std::thread.
set(CMAKE_C_COMPILER ${TARVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVEX_MINGW_PREFIX}-windres)

# The panel needs a Qt 6 built for MinGW-w64 (-DTARVEX_BUILD_PANEL=ON -DTARVEX_WINDOWS_QT=its
# prefix), found beside the compiler's own libraries, and the build machine's Qt for its tools
# (-DQT_HOST_PATH=/usr with Debian's qt6-base-dev-tools).
set(CMAKE_FIND_ROOT_PATH /usr/${TARVEX_MINGW_PREFIX} ${TARVEX_WINDOWS_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime goes into every program and DLL, so that they run without the
# cross-compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# CTest starts the test programs through Wine.
find_program(TARVEX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TARVEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVEX_WINE})
endif()
