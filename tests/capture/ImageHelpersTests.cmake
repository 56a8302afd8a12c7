qel_add_test(image_helpers_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageHelpersTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
