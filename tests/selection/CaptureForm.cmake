# The live selection overlay under real input, on every layout (the
# screen-bounds origin differs).
set(QEL_FORM_TEST_SUPPORT
  ${CMAKE_CURRENT_LIST_DIR}/CaptureFormTestSupport.cpp
  ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc)

qel_add_test(selection_overlay_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormRegionTests.cpp ${CMAKE_CURRENT_LIST_DIR}/CaptureFormWindowTests.cpp
          ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
target_include_directories(selection_overlay_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)

# 300 windows on the screen: once is enough.
qel_add_test(selection_capture_form_load_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormLoadTests.cpp ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single INPUT)
