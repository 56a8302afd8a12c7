# Window records; another program's windows come from the capture targets.
qel_add_test(windows_record_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowRecordTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left)
add_dependencies(windows_record_tests capture_target_idea capture_target_plain)

qel_add_test(windows_enumeration_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowEnumerationTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)

# Declares Windows 10 support; the test tells Wine to report Windows 10 to it and runs itself again.
qel_add_test(windows_win10_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Windows10Tests.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureWin10.rc
  LIBS QelPictavoCore advapi32
  LAYOUTS single)
