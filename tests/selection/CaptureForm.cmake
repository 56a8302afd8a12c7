# The live selection overlay: its placement rules, and the overlay itself under real input.
qel_add_test(selection_capture_form_layout_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormLayoutTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)

set(QEL_FORM_TEST_SUPPORT
  ${CMAKE_CURRENT_LIST_DIR}/CaptureFormTestSupport.cpp
  ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc)

qel_add_test(selection_capture_form_region_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormRegionTests.cpp ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
target_include_directories(selection_capture_form_region_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)

qel_add_test(selection_capture_form_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormWindowTests.cpp ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
target_include_directories(selection_capture_form_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)

qel_add_test(selection_capture_form_load_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormLoadTests.cpp ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single INPUT)
