# Recording-area selector, flashing frame and colour picker. The picker loads its cursor from the module
# its code is in: here the test executable, so the resource script is linked in.
qel_add_test(tools_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ToolsTests.cpp ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
