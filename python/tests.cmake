# The Python binding's tests (pytest, Debian's python3-pytest) against the build tree's library and
# its `torvik sim`. Not under the sanitizers (Python cannot load an instrumented library), nor in the
# Windows build (the binding loads libtorvik.so).
find_program(TORVIK_PYTEST NAMES pytest-3 pytest)
if(TORVIK_PYTEST AND TARGET torvik-cli AND NOT TORVIK_SANITIZE AND NOT WIN32)
  add_test(NAME python_binding COMMAND ${TORVIK_PYTEST} -q -p no:cacheprovider ${CMAKE_CURRENT_LIST_DIR}/tests)
  set_tests_properties(python_binding PROPERTIES TIMEOUT 120
                       ENVIRONMENT "TORVIK_LIB=$<TARGET_FILE:torvik>;TORVIK_TOOL=$<TARGET_FILE:torvik-cli>;TORVIK_EXCHANGE_POLICY=${TORVIK_TEST_FAST_LINE}")
endif()
