# Warning and sanitizer flags shared by every target of the project.
add_library(torvik_build_flags INTERFACE)
if(MSVC)
  target_compile_options(torvik_build_flags INTERFACE /W4 $<$<BOOL:${TORVIK_WERROR}>:/WX>)
else()
  target_compile_options(torvik_build_flags INTERFACE -Wall -Wextra -Wpedantic
                         $<$<BOOL:${TORVIK_WERROR}>:-Werror>)
endif()
# TORVIK_SANITIZE: ON for AddressSanitizer and UndefinedBehaviorSanitizer, "thread" for
# ThreadSanitizer (it cannot share a build with AddressSanitizer).
if(TORVIK_SANITIZE STREQUAL "thread")
  set(torvik_sanitizers thread)
elseif(TORVIK_SANITIZE)
  set(torvik_sanitizers address,undefined)
endif()
if(torvik_sanitizers)
  target_compile_options(torvik_build_flags INTERFACE -fsanitize=${torvik_sanitizers} -fno-omit-frame-pointer
                         -fno-sanitize-recover=all)
  # GCC's flow analysis under the sanitizers reports uninitialised reads inside the standard library
  # (std::regex, std::function) that do not exist; the plain build keeps the warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(torvik_build_flags INTERFACE -Wno-maybe-uninitialized)
  endif()
  target_link_options(torvik_build_flags INTERFACE -fsanitize=${torvik_sanitizers})
  # The API table fills the add-reference, release and data slots of every handle type with one
  # function each, so that a host comparing the pointers sees one function. Handles are all object
  # pointers of one representation, so the call is sound on every ABI the library ships for, but
  # Clang's function-type check reports the differing pointee types.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(torvik_build_flags INTERFACE -fno-sanitize=function)
  endif()
endif()
