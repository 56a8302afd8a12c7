add_executable(capture_bench ${CMAKE_CURRENT_LIST_DIR}/CaptureBench.cpp)
target_link_libraries(capture_bench PRIVATE QelPictavoCore)
qel_warnings(capture_bench)
