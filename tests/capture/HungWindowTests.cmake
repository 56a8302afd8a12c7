# Captures that meet a window whose thread stopped answering, a window that goes, a window of the calling
# thread, and images too large to make; moves the mouse.
qel_add_test(capture_hung_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HungWindowTests.cpp ${CMAKE_SOURCE_DIR}/tests/selection/CaptureFormTestSupport.cpp
          ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc
  LIBS QelPictavoCore
  LAYOUTS single
  INPUT)
target_include_directories(capture_hung_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/framework
                           ${CMAKE_SOURCE_DIR}/tests/windows ${CMAKE_SOURCE_DIR}/tests/scrolling)
add_dependencies(capture_hung_window_tests scroll_target)
