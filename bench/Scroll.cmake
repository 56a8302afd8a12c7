# The shift search on 1920x1080 frame pairs against the exhaustive scan and a memcmp pass, and stitching
# 2,000 frames against one memcpy of the result.
add_executable(scroll_bench ${CMAKE_CURRENT_LIST_DIR}/ScrollBench.cpp)
target_include_directories(scroll_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/scrolling)
target_link_libraries(scroll_bench PRIVATE QelPictavoCore)
qel_warnings(scroll_bench)
