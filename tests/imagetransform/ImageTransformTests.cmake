# The transform library through its exports, and its pure DIB arithmetic directly.
qel_add_test(imagetransform_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageTransformTests.cpp
  LIBS QelImageTransform QelImageTransformCore gdi32 user32
  LAYOUTS single)
target_include_directories(imagetransform_tests PRIVATE ${CMAKE_SOURCE_DIR}/framework)
