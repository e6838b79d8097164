# Cross-compiles the 32-bit Windows DLL (torvik.dll for the detector's 32-bit hosts) on Debian with
# MinGW-w64 (package g++-mingw-w64-i686-posix):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The "posix" compilers are used: their thread model makes std::thread and std::mutex work.
# Everything MinGW-specific lives here, so the project itself also builds with MSVC.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TORVIK_MINGW_TRIPLET i686-w64-mingw32)

set(CMAKE_C_COMPILER ${TORVIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVIK_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW sysroot only (zlib: libz-mingw-w64-dev).
set(CMAKE_FIND_ROOT_PATH /usr/${TORVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# torvik.dll must stand alone: libgcc, libstdc++, winpthread and zlib are linked in statically.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# nlohmann json, {fmt} and CLI11 (the tool's argument parser) are header-only here: the Debian
# headers (architecture-independent) are used from this directory. Only their subdirectories are
# put on the include path.
set(TORVIK_HEADER_ONLY_ROOT /usr/include CACHE PATH "Directory holding nlohmann/, fmt/ and CLI/")
