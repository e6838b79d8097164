# What `cmake --install` puts where: the shared library (with its soname links on Linux), the
# public headers under include/torvik, the CMake package (find_package(torvik CONFIG) gives
# torvik::torvik), torvik.pc for pkg-config and, on Linux, the Python binding. The tool, its man
# page and the example udev rule install from tools/; the simulator from here.
include(CMakePackageConfigHelpers)

install(TARGETS torvik EXPORT torvikTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/torvik DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(torvik_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/torvik)
install(EXPORT torvikTargets NAMESPACE torvik:: DESTINATION ${torvik_package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/torvikConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/torvikConfig.cmake INSTALL_DESTINATION ${torvik_package_dir})
# A new major version changes the API table: only the same major is compatible.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/torvikConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/torvikConfig.cmake ${PROJECT_BINARY_DIR}/torvikConfigVersion.cmake
        DESTINATION ${torvik_package_dir})

# torvik.pc names its prefix relative to its own directory, so the installed tree can move.
set(torvik_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH TORVIK_PC_PREFIX_FROM_PCDIR /prefix/${torvik_pc_dir} /prefix)
string(REGEX REPLACE "/$" "" TORVIK_PC_PREFIX_FROM_PCDIR "${TORVIK_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/torvik.pc.in ${PROJECT_BINARY_DIR}/torvik.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/torvik.pc DESTINATION ${torvik_pc_dir})

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/examples/host_example.c ${PROJECT_SOURCE_DIR}/examples/host_example.cpp
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  # The Python binding where Debian's python3 looks for packages that are not its own: with the
  # prefix /usr, /usr/lib/python3/dist-packages (a venv made with --system-site-packages sees it).
  set(TORVIK_PYTHON_DIR lib/python3/dist-packages CACHE STRING "Where the Python binding installs, below the prefix")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/torvik DESTINATION ${TORVIK_PYTHON_DIR}
          PATTERN __pycache__ EXCLUDE)
endif()
