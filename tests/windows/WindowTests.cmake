# A second program with windows and a version block, for tests that need another process.
add_executable(window_probe WIN32 ${CMAKE_CURRENT_LIST_DIR}/apps/WindowProbe.cpp ${CMAKE_CURRENT_LIST_DIR}/apps/WindowProbe.rc)
target_link_options(window_probe PRIVATE -municode)
qel_warnings(window_probe)

qel_add_test(windows_record_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowDetailsTests.cpp ${CMAKE_CURRENT_LIST_DIR}/DwmSeamTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left)
add_dependencies(windows_record_tests window_probe)

qel_add_test(windows_enumeration_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowEnumerationTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)

# Declares Windows 10 support; the test tells Wine to report Windows 10 to it and runs itself again.
qel_add_test(windows_win10_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Windows10Tests.cpp
          ${CMAKE_CURRENT_LIST_DIR}/apps/Windows10.rc
  LIBS QelPictavoCore advapi32
  LAYOUTS single)
target_include_directories(windows_win10_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/apps)
