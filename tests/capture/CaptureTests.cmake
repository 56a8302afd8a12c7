# The capture's image model and helpers, and a soak of repeated full-screen captures.
qel_add_test(capture_image_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureImageTests.cpp ${CMAKE_CURRENT_LIST_DIR}/SoakTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
