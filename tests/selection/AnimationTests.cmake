# Animation framework of the selection overlays, their shared helpers, region shaping and the
# checkerboard resource.
qel_add_test(selection_animation_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AnimationTests.cpp ${CMAKE_CURRENT_LIST_DIR}/AnimationHelpersTests.cpp
          ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc
  LIBS QelPictavoCore
  LAYOUTS single)

# Moves the system cursor: runs alone on its display, on every layout (the screen-bounds origin differs).
qel_add_test(selection_animation_form_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AnimationFormTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single dual left INPUT)
