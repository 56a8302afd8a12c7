# The exported capture interface against real windows; moves the mouse.
qel_add_test(capture_interface_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/InterfaceTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left
  INPUT)
target_include_directories(capture_interface_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)

