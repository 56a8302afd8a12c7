# The live selection overlay: its placement rules, and the overlay itself under real input.
qel_add_test(selection_capture_form_layout_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CaptureFormLayoutTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
