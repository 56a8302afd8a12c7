# The capture's image model and helpers.
qel_add_test(capture_image_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureImageTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
# Every kind of capture repeated, the process's memory, heaps, GDI and USER objects and handles read
# before and after; once is enough. The picker loads its cursor from the module its code is in.
qel_add_test(capture_leak_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LeakTests.cpp ${CMAKE_SOURCE_DIR}/tests/selection/CaptureFormTestSupport.cpp
          ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc
  LIBS QelPictavoCore
  LAYOUTS single
  INPUT)
target_include_directories(capture_leak_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows ${CMAKE_SOURCE_DIR}/tests/scrolling)
add_dependencies(capture_leak_tests scroll_target)
