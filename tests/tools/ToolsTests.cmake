# Recording-area selector, flashing frame and colour picker.
set(QEL_TOOLS_RC ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc)

qel_add_test(tools_geometry_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ToolGeometryTests.cpp ${QEL_TOOLS_RC}
  LIBS QelPictavoCore
  LAYOUTS single)

qel_add_test(tools_area_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AreaSelectorTests.cpp ${CMAKE_CURRENT_LIST_DIR}/ToolTestSupport.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)

qel_add_test(tools_flash_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FlashingWndTests.cpp ${CMAKE_CURRENT_LIST_DIR}/ToolTestSupport.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)

# The picker loads its cursor from the module its code is in: here the test executable. It is called
# through the capture interface, built once that exists.
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/capture/PictavoUtil.cpp)
  return()
endif()
qel_add_test(tools_pick_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PickColorTests.cpp ${CMAKE_CURRENT_LIST_DIR}/ToolTestSupport.cpp ${QEL_TOOLS_RC}
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
