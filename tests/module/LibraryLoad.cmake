# Where libraries loaded by name come from; changes the current folder and the search path.
qel_add_test(library_load_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LibraryLoadTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)
add_dependencies(library_load_tests framework_test_exported)
