# The C host (the public header compiled as C11 against the shared library) and the check of the
# shared library's exported symbols.
add_executable(test_c_host ${CMAKE_CURRENT_LIST_DIR}/c_host.c)
set_target_properties(test_c_host PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_link_libraries(test_c_host PRIVATE torvik torvik_build_flags)
add_test(NAME c_host COMMAND test_c_host)

find_program(TORVIK_NM NAMES nm REQUIRED)
add_test(NAME exported_symbols
         COMMAND ${CMAKE_COMMAND} -DNM=${TORVIK_NM} -DLIBRARY=$<TARGET_FILE:torvik> -P
                 ${CMAKE_CURRENT_LIST_DIR}/check_exports.cmake)

# The host whose standard output the built-in logger writes to (run by ConsoleLoggerTest.cpp).
add_executable(console_host ${CMAKE_CURRENT_LIST_DIR}/console_host.c)
set_target_properties(console_host PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_link_libraries(console_host PRIVATE torvik torvik_build_flags)
add_dependencies(test_api console_host)
target_compile_definitions(test_api PRIVATE TORVIK_CONSOLE_HOST="$<TARGET_FILE:console_host>")
