# Window records and the window-list worker; another program's windows come from the capture targets.
qel_add_test(windows_record_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowRecordTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left)
add_dependencies(windows_record_tests capture_target_idea capture_target_plain)

# Declares Windows 10 support, and Wine is told to report Windows 10 to it before it starts.
qel_add_test(windows_win10_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Windows10Tests.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureWin10.rc
  LIBS QelPictavoCore
  LAYOUTS single)
add_test(NAME windows_win10_tests_version@single
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add "HKCU\\Software\\Wine\\AppDefaults\\windows_win10_tests.exe"
          /v Version /t REG_SZ /d win10 /f)
set_tests_properties(windows_win10_tests_version@single PROPERTIES LABELS single FIXTURES_SETUP windows_win10_version)
set_tests_properties(windows_win10_tests@single PROPERTIES FIXTURES_REQUIRED windows_win10_version)
