# The stitching workers on frames made in the test: no screen.
qel_add_test(scrolling_worker_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StitchingWorkerTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
