# The host process the disk tests run with a file-size limit or kill midway (DatalogDiskTest.cpp).
add_executable(datalog_host ${CMAKE_CURRENT_LIST_DIR}/datalog_host.c)
set_target_properties(datalog_host PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_link_libraries(datalog_host PRIVATE torvik torvik_build_flags)
if(TARGET test_host)
  add_dependencies(test_host datalog_host)
  target_compile_definitions(test_host PRIVATE TORVIK_DATALOG_HOST="$<TARGET_FILE:datalog_host>")
endif()
