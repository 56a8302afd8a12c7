# The fixed-size, polygon and free-hand windows under real input, on every layout.
qel_add_test(selection_shape_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ShapeWindowTests.cpp ${QEL_FORM_TEST_SUPPORT}
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
target_include_directories(selection_shape_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)
