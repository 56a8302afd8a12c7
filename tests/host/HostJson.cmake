# pictavo --json, run by a shell script under Wine and read back with python3's json module; the display,
# the prefix and the output folder come from scripts/run-tests.sh.
if(TARGET pictavo)
  add_test(NAME host_json@single COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/json_output.sh $<TARGET_FILE_DIR:pictavo>)
  set_tests_properties(host_json@single PROPERTIES LABELS single TIMEOUT 600 ENVIRONMENT "QEL_LAYOUT=single")
endif()
