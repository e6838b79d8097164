# The Windows test host: a C program that loads torvik.dll with LoadLibrary and checks it through
# the C table only. Built by the Windows build (see cmake/mingw-i686.cmake); scripts/test-windows.sh
# runs it under wine against the simulator.
if(NOT WIN32)
  return()
endif()

add_executable(win_host ${CMAKE_CURRENT_LIST_DIR}/win_host.c)
target_include_directories(win_host PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(win_host PRIVATE torvik_build_flags)
# Loaded at run time, never linked: the DLL only has to be built first.
add_dependencies(win_host torvik)
