# Our own PNG writer, read back by GDI+'s decoder.
qel_add_test(png_writer_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PngWriterTests.cpp
  LIBS gdiplus
  LAYOUTS single)
target_include_directories(png_writer_tests PRIVATE ${CMAKE_SOURCE_DIR}/framework)
