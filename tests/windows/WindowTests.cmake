# Window records and the window-list worker; another program's window comes from a capture target.
qel_add_test(windows_record_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowRecordTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left)
add_dependencies(windows_record_tests capture_target_idea)
