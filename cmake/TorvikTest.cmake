# torvik_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per test area; every test case becomes a CTest test.
include(GoogleTest)
find_package(GTest REQUIRED)

function(torvik_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Test files each define their own fixtures and helpers in anonymous namespaces: one compiler run
  # per file even in a unity build.
  set_target_properties(${name} PROPERTIES UNITY_BUILD OFF)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main torvik_build_flags)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES PROPERTIES TIMEOUT 120)
endfunction()
