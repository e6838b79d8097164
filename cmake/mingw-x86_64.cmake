# Cross-compiles the same sources as a 64-bit Windows DLL (package g++-mingw-w64-x86-64-posix).
# Not a product: scripts/test-windows.sh runs its test host under wine64 on machines whose kernel
# cannot run 32-bit programs, so that the Win32 code still runs somewhere.
set(TORVIK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
