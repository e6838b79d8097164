# The command-line tool, run as a subprocess against its simulated detector by a Python script
# (standard library only); one CTest test per group of cases.
if(TARGET torvik-cli)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    foreach(group Usage Ports Simulated StandaloneSimulator Errors ChangingCommands Interrupts DefaultTiming)
      add_test(NAME tool_${group}
               COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/test_torvik.py
                       $<TARGET_FILE:torvik-cli> ${group})
      set_tests_properties(tool_${group} PROPERTIES TIMEOUT 120
                           ENVIRONMENT "TORVIK_EXCHANGE_POLICY=${TORVIK_TEST_FAST_LINE}")
    endforeach()
    # Wire traces: recording, showing and replaying them (the checked-in ones in traces/).
    foreach(group CheckedInTraces RecordThenReplay TraceShow BadTraces)
      add_test(NAME tool_${group}
               COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/test_traces.py $<TARGET_FILE:torvik-cli> ${group})
      set_tests_properties(tool_${group} PROPERTIES TIMEOUT 120
                           ENVIRONMENT "TORVIK_EXCHANGE_POLICY=${TORVIK_TEST_FAST_LINE}")
    endforeach()
    # The one case with the library's real timing (a few seconds): `ctest -L slow` runs it alone.
    set_tests_properties(tool_DefaultTiming PROPERTIES LABELS slow)
  endif()
endif()
