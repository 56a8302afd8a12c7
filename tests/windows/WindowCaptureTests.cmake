# Window capture: the pure rules, print-window on real windows, and the compositor path (with the
# records' use of the compositor) through a stand-in compositor under three system versions.

qel_add_test(window_capture_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single)

# One program per system version. Wine reports the version set for a program's file name under
# AppDefaults; a fixture sets it before the programs start. Windows 10 also needs the manifest.
set(qel_wc_versions win7 win8 win10)
set(qel_wc_numbers 7 8 10)
foreach(version number IN ZIP_LISTS qel_wc_versions qel_wc_numbers)
  set(name window_capture_compositor_${version}_tests)
  set(sources ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureCompositorTests.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureTests.rc)
  if(version STREQUAL "win10")
    list(APPEND sources ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureWin10.rc)
  endif()
  set(layouts single)
  if(version STREQUAL "win7")
    list(APPEND layouts dual left)
  endif()
  # Reads the screen while its windows stand on top: nothing else may run beside it.
  qel_add_test(${name} SOURCES ${sources} LIBS QelPictavoCore LAYOUTS ${layouts} INPUT)
  target_compile_definitions(${name} PRIVATE QEL_EXPECTED_WINDOWS=${number})
  foreach(layout IN LISTS layouts)
    add_test(NAME ${name}_version@${layout}
      COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add "HKCU\\Software\\Wine\\AppDefaults\\${name}.exe"
              /v Version /t REG_SZ /d ${version} /f)
    set_tests_properties(${name}_version@${layout} PROPERTIES LABELS ${layout} FIXTURES_SETUP ${name}_version_${layout})
    set_tests_properties(${name}@${layout} PROPERTIES FIXTURES_REQUIRED ${name}_version_${layout})
  endforeach()
endforeach()

