# CPack: `cmake --build <dir> --target package` makes a .deb on Linux (library, headers, tool,
# simulator, man page, Python binding) and a zip on Windows (torvik.dll, its import library, the headers and the
# README). Configure with -DCMAKE_INSTALL_PREFIX=/usr for a .deb with Debian's multiarch libdir.
set(CPACK_PACKAGE_NAME torvik)
set(CPACK_PACKAGE_VENDOR "Torvik")
set(CPACK_PACKAGE_CONTACT "Torvik developers <dev@torvik.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Torvik device library: the Torvik multi-gas detector over a serial line")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME torvik-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://torvik.example")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Torvik device library and tools\nlibtorvik talks to the Torvik portable multi-gas detector over a serial line: it reads and writes the detector's configuration as JSON and reads its gas-detection datalog into ZIP archives. The package holds the library, its C headers, CMake and pkg-config files, the torvik command-line tool, the detector simulator and the Python binding (import torvik).")
  # Run-time dependencies from the ELF files (dpkg-shlibdeps), and a shlibs file for the soname.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3")
endif()

include(CPack)
