qel_add_test(module_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModuleTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
add_dependencies(module_tests QelPictavoDll)
