# Moves the mouse and reads the screen under its own top-most windows.
qel_add_test(screen_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreenTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left
  INPUT)
