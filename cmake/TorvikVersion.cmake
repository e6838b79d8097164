# The library's version lives in one place, the constants the API table reports in its header
# words (src/core/Version.hpp); the project version, the shared library's version and soname and
# the packages take it from there. Sets TORVIK_VERSION ("2.9.0").
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../src/core/Version.hpp torvik_version_lines
     REGEX "inline constexpr uint32_t (major|minor|patch) = [0-9]+;")
foreach(part major minor patch)
  set(torvik_version_${part} "")
  foreach(line ${torvik_version_lines})
    if(line MATCHES "uint32_t ${part} = ([0-9]+);")
      set(torvik_version_${part} ${CMAKE_MATCH_1})
    endif()
  endforeach()
  if(torvik_version_${part} STREQUAL "")
    message(FATAL_ERROR "src/core/Version.hpp: no version constant '${part}'")
  endif()
endforeach()
set(TORVIK_VERSION "${torvik_version_major}.${torvik_version_minor}.${torvik_version_patch}")
