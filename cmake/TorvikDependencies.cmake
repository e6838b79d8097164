# Third-party libraries, all from Debian packages (see scripts/setup.sh).
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
if(NOT WIN32)
  find_package(fmt REQUIRED)
  find_package(nlohmann_json 3.10 REQUIRED)
  find_package(date REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  return()
endif()

# Windows: no date/tz and no minizip (the time zone comes from the Win32 API, archives from the
# library's own stored-entry writer). nlohmann json, {fmt} and CLI11 (the tool's, optional) are
# used header-only: from their CMake packages when the toolchain provides them (vcpkg with MSVC,
# for example), otherwise from TORVIK_HEADER_ONLY_ROOT, the directory that holds nlohmann/, fmt/
# and CLI/ (the MinGW toolchain file sets it). Only those subdirectories are put on the include
# path, through links in the build tree, so that no other header of that directory can shadow the
# toolchain's own.
find_package(fmt CONFIG QUIET)
find_package(nlohmann_json 3.10 CONFIG QUIET)
find_package(CLI11 CONFIG QUIET)
set(TORVIK_HEADER_ONLY_ROOT "" CACHE PATH "Directory holding nlohmann/, fmt/ and CLI/")
set(torvik_header_dir ${CMAKE_BINARY_DIR}/third_party/include)
# Links `dir` of TORVIK_HEADER_ONLY_ROOT into the build tree's include directory.
function(torvik_link_headers dir)
  file(MAKE_DIRECTORY ${torvik_header_dir})
  if(NOT EXISTS ${torvik_header_dir}/${dir})
    file(CREATE_LINK ${TORVIK_HEADER_ONLY_ROOT}/${dir} ${torvik_header_dir}/${dir} SYMBOLIC COPY_ON_ERROR)
  endif()
endfunction()
if(NOT TARGET CLI11::CLI11 AND EXISTS "${TORVIK_HEADER_ONLY_ROOT}/CLI/CLI.hpp")
  torvik_link_headers(CLI)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${torvik_header_dir})
endif()
if(NOT TARGET fmt::fmt OR NOT TARGET nlohmann_json::nlohmann_json)
  if(NOT EXISTS "${TORVIK_HEADER_ONLY_ROOT}/nlohmann/json.hpp" OR NOT EXISTS "${TORVIK_HEADER_ONLY_ROOT}/fmt/format.h")
    message(FATAL_ERROR "nlohmann json and {fmt} not found: set TORVIK_HEADER_ONLY_ROOT")
  endif()
  torvik_link_headers(nlohmann)
  torvik_link_headers(fmt)
  if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${torvik_header_dir})
  endif()
  if(NOT TARGET fmt::fmt)
    add_library(fmt::fmt INTERFACE IMPORTED)
    target_include_directories(fmt::fmt SYSTEM INTERFACE ${torvik_header_dir})
    target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY)
  endif()
endif()
