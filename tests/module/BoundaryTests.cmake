# Every exported member and C function given bad arguments, each call bounded on a thread of its own.
qel_add_test(boundary_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/BoundaryTests.cpp
  LIBS QelPictavoDll QelFramework QelImageTransform
  LAYOUTS single)
target_include_directories(boundary_tests PRIVATE ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/framework)
