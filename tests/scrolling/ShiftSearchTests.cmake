# The shift search against an exhaustive scan, the unchanged-line counts and the strip image: pure code.
qel_add_test(scrolling_search_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ShiftSearchTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
