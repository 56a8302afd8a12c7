# The C interface as a host without the window framework uses it: through the library's import library
# alone (the framework only for AfxGetThread and one host's own thread object).
qel_add_test(capi_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CApiTests.cpp
  LIBS QelPictavoDll QelFramework gdiplus
  LAYOUTS single
  INPUT)
target_include_directories(capi_tests PRIVATE ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/tests/scrolling)
add_dependencies(capi_tests scroll_target)
