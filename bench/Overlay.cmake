# The live overlay: first frame after the exported call, and one animation tick with its paint.
add_executable(overlay_bench ${CMAKE_CURRENT_LIST_DIR}/OverlayBench.cpp ${CMAKE_SOURCE_DIR}/resources/QelPictavoDll.rc)
target_link_libraries(overlay_bench PRIVATE QelPictavoCore qel_test_support)
qel_warnings(overlay_bench)
