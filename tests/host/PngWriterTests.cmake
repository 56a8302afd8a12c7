# Our own PNG writer, read back by GDI+'s decoder.
qel_add_test(png_writer_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PngWriterTests.cpp
  LIBS gdiplus
  LAYOUTS single)
