qel_add_test(fast_bitmap_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FastBitmapTests.cpp ${CMAKE_CURRENT_LIST_DIR}/PixelRowsTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
