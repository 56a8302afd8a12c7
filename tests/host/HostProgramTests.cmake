# The host program as a user runs it, and its helpers that touch no window; needs pictavo.exe built beside
# the tests.
if(TARGET pictavo)
  qel_add_test(host_program_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostProgramTests.cpp ${CMAKE_CURRENT_LIST_DIR}/HostCommandLineTests.cpp
    LIBS gdiplus pictavo_cli
    LAYOUTS single dual left)
  target_include_directories(host_program_tests PRIVATE ${CMAKE_SOURCE_DIR}/framework)
  add_dependencies(host_program_tests pictavo)
endif()
