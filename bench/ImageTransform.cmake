# Conversions, alpha fills and a colour count on a 3840x2160 image, as ratios to memcpy.
add_executable(imagetransform_bench ${CMAKE_CURRENT_LIST_DIR}/ImageTransformBench.cpp)
target_link_libraries(imagetransform_bench PRIVATE QelPictavoCore)
qel_warnings(imagetransform_bench)
