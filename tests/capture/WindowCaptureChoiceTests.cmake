# The capture choice, and the helper programs it captures: one target program per file description
# ("IntelliJ IDEA", "Citrix ICA Client", none) and a library named like the presentation framework.

foreach(kind IDEA CITRIX PLAIN)
  string(TOLOWER ${kind} lower)
  add_executable(capture_target_${lower} WIN32 ${CMAKE_CURRENT_LIST_DIR}/apps/CaptureTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/apps/CaptureTarget.rc)
  target_compile_definitions(capture_target_${lower} PRIVATE TARGET_${kind})
  target_link_options(capture_target_${lower} PRIVATE -municode)
  target_link_libraries(capture_target_${lower} PRIVATE user32 gdi32 shell32)
  qel_warnings(capture_target_${lower})
endforeach()
add_library(presentationframework_probe SHARED ${CMAKE_CURRENT_LIST_DIR}/apps/PresentationFrameworkProbe.cpp)
set_target_properties(presentationframework_probe PROPERTIES PREFIX "" OUTPUT_NAME presentationframework-probe)
qel_warnings(presentationframework_probe)

# Takes the foreground and reads the screen.
qel_add_test(window_capture_choice_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowCaptureChoiceTests.cpp
  LIBS QelPictavoCore
  LAYOUTS single
  INPUT)
add_dependencies(window_capture_choice_tests capture_target_idea capture_target_citrix capture_target_plain
  presentationframework_probe)
