# Recording-area selector, flashing frame and colour picker.
qel_add_test(tools_geometry_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ToolGeometryTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
