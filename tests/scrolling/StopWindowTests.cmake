# The strip's placement rule directly, then the strip and the hotkey library under real input.
qel_add_test(scrolling_stop_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StopWindowTests.cpp
  LIBS QelPictavoCore QelAVFrame
  LAYOUTS single dual left INPUT)
