# scroll_target.exe: a window of our own with a known picture, the target of the scrolling tests.
# Test executables that start it depend on the target scroll_target.
add_executable(scroll_target WIN32 ${CMAKE_CURRENT_LIST_DIR}/apps/ScrollTarget.cpp)
target_link_options(scroll_target PRIVATE -municode)
target_link_libraries(scroll_target PRIVATE user32 gdi32)
target_include_directories(scroll_target PRIVATE ${CMAKE_SOURCE_DIR}/framework)
qel_warnings(scroll_target)
