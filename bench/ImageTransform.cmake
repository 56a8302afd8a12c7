# Conversions, alpha fills and a colour count on a 3840x2160 image, as ratios to memcpy.
add_executable(imagetransform_bench ${CMAKE_CURRENT_LIST_DIR}/ImageTransformBench.cpp)
target_include_directories(imagetransform_bench PRIVATE ${CMAKE_SOURCE_DIR}/framework)
target_link_libraries(imagetransform_bench PRIVATE QelImageTransform gdi32 user32)
qel_warnings(imagetransform_bench)
