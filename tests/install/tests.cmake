# The installed library as a consumer sees it (tests/install/consumer.sh): cmake --install into a
# temporary prefix, then a C host built with find_package and with pkg-config runs against
# `torvik sim`. Not under the sanitizers: a host built without them cannot load an instrumented
# library.
if(TARGET torvik-cli AND NOT TORVIK_SANITIZE)
  add_test(NAME install_consumer COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/consumer.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(install_consumer PROPERTIES TIMEOUT 120 ENVIRONMENT
                       "TORVIK_EXCHANGE_POLICY=${TORVIK_TEST_FAST_LINE}")
endif()
