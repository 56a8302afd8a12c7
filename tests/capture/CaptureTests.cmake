# The capture's image model and helpers.
qel_add_test(capture_image_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureImageTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
