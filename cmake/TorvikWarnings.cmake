# Warning and sanitizer flags shared by every target of the project.
add_library(torvik_build_flags INTERFACE)
if(MSVC)
  target_compile_options(torvik_build_flags INTERFACE /W4 $<$<BOOL:${TORVIK_WERROR}>:/WX>)
else()
  target_compile_options(torvik_build_flags INTERFACE -Wall -Wextra -Wpedantic
                         $<$<BOOL:${TORVIK_WERROR}>:-Werror>)
endif()
if(TORVIK_SANITIZE)
  target_compile_options(torvik_build_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=all)
  target_link_options(torvik_build_flags INTERFACE -fsanitize=address,undefined)
endif()
