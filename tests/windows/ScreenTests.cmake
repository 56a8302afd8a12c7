qel_add_test(screen_geometry_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreenGeometryTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left)

qel_add_test(screen_copy_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreenCopyTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left)

# Moves the mouse.
qel_add_test(screen_cursor_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreenCursorTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left
  INPUT)
