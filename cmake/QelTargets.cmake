# Helpers shared by every folder.

# qel_warnings(target): our warning set on a target of our own.
function(qel_warnings target)
  target_compile_options(${target} PRIVATE ${QEL_WARNINGS})
endfunction()

# qel_add_test(name SOURCES ... [LIBS ...] LAYOUTS single|dual|left ... [INPUT])
#
# One GoogleTest executable, one CTest entry per display layout it needs, labelled by that layout.
# INPUT marks a test that moves the mouse or types: it never runs beside another test on its display.
function(qel_add_test name)
  cmake_parse_arguments(T "INPUT" "" "SOURCES;LIBS;LAYOUTS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  qel_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qel_test_support)
  if(NOT T_LAYOUTS)
    set(T_LAYOUTS single)
  endif()
  foreach(layout IN LISTS T_LAYOUTS)
    add_test(NAME ${name}@${layout} COMMAND ${name} --gtest_color=no)
    set(labels ${layout})
    if(T_INPUT)
      list(APPEND labels input)
      set_tests_properties(${name}@${layout} PROPERTIES RUN_SERIAL TRUE)
    endif()
    set_tests_properties(${name}@${layout} PROPERTIES LABELS "${labels}" TIMEOUT 600
      ENVIRONMENT "QEL_LAYOUT=${layout}")
  endforeach()
endfunction()
