qel_add_test(capture_model_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureModelTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
