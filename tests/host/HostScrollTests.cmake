# The host program's scrolling commands, run on scroll_target.exe in the foreground; the capture ends
# with wheel turns, so the test runs alone on its display.
if(TARGET pictavo)
  qel_add_test(host_scroll_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostScrollTests.cpp
    LIBS gdiplus
    LAYOUTS single
    INPUT)
  target_include_directories(host_scroll_tests PRIVATE ${CMAKE_SOURCE_DIR}/framework ${CMAKE_SOURCE_DIR}/tests/scrolling)
  add_dependencies(host_scroll_tests pictavo scroll_target)
endif()
