# The Windows tests. On Linux: the Windows time-zone table against the CLDR data it is generated
# from. In the Windows build: the C host that loads torvik.dll with LoadLibrary and checks it
# through the C table only; scripts/test-windows.sh runs it under wine against the simulator.
if(NOT WIN32)
  torvik_add_test(test_windows_zones SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowsZoneNamesTest.cpp LIBS torvik_static)
  target_compile_definitions(test_windows_zones PRIVATE
                             TORVIK_WINDOWS_ZONES_JSON="${PROJECT_SOURCE_DIR}/src/device/cldr/windowsZones.json")
  return()
endif()

add_executable(win_host ${CMAKE_CURRENT_LIST_DIR}/win_host.c)
target_include_directories(win_host PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(win_host PRIVATE version torvik_build_flags)  # version: the DLL's version resource
# Loaded at run time, never linked: the DLL only has to be built first.
add_dependencies(win_host torvik)
