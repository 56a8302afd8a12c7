# Animation arithmetic, region shaping and the capture form's placement rules: no input.
qel_add_test(selection_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SelectionLogicTests.cpp ${CMAKE_CURRENT_LIST_DIR}/ShapeLogicTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
