# The MinGW-w64 cross toolchain on Debian, shared by mingw-i686.cmake (the DLL the hosts load) and
# mingw-x86_64.cmake (the same sources as a 64-bit DLL, run under wine64 where wine32 cannot run).
# The including file sets TORVIK_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR. The "posix" compilers
# are used: their thread model makes std::thread and std::mutex work.
# Everything MinGW-specific lives here, so the project itself also builds with MSVC.
set(CMAKE_SYSTEM_NAME Windows)

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

# nlohmann json and {fmt} are header-only here: the Debian headers (architecture-independent)
# are used from this directory. Only their two subdirectories are put on the include path.
set(TORVIK_HEADER_ONLY_ROOT /usr/include CACHE PATH "Directory holding nlohmann/ and fmt/")
