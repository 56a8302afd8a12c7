# Scrolling captures of real windows under real input, on one monitor and beside a monitor left of
# the primary (negative screen coordinates).
qel_add_test(scrolling_driver_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScrollCaptureTests.cpp ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single left INPUT)
target_include_directories(scrolling_driver_tests PRIVATE ${CMAKE_SOURCE_DIR}/framework ${CMAKE_SOURCE_DIR}/tests/windows)
add_dependencies(scrolling_driver_tests scroll_target)
