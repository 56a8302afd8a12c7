# A window class exported from a DLL of its own, to check message maps across module boundaries.
add_library(framework_test_exported SHARED ${CMAKE_CURRENT_LIST_DIR}/ExportedTestWnd.cpp)
target_compile_definitions(framework_test_exported PRIVATE FWTEST_EXPORTED_BUILD)
target_link_libraries(framework_test_exported PRIVATE QelFramework)
qel_warnings(framework_test_exported)

# Real windows and their painting: run alone on the display.
qel_add_test(framework_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowTests.cpp
          ${CMAKE_CURRENT_LIST_DIR}/GdiTests.cpp
  LIBS QelFramework framework_test_exported
  LAYOUTS single
  INPUT)
