# `cmake --install BUILD --prefix DIR` lays out what a host needs: bin/ (the DLLs and pictavo.exe), lib/ (import
# libraries), include/, and lib/cmake/QelPictavoDll/ so that a host's project finds it with
# find_package(QelPictavoDll). Tests, benchmarks and static helpers stay in the build tree.
include(CMakePackageConfigHelpers)

set(QEL_PACKAGE_VERSION 1.0.0)
set(QEL_PACKAGE_DIR lib/cmake/QelPictavoDll)

install(TARGETS QelPictavoDll QelFramework QelImageTransform QelAVFrame pictavo
  RUNTIME DESTINATION bin
  ARCHIVE DESTINATION lib)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/ DESTINATION include)

# The targets' file names come from their own properties, so a renamed output cannot leave the config behind.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/package/QelPictavoDllConfig.cmake
  INPUT ${CMAKE_SOURCE_DIR}/cmake/QelPictavoDllConfig.cmake.in)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/QelPictavoDllConfigVersion.cmake
  VERSION ${QEL_PACKAGE_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/QelPictavoDllConfig.cmake
  ${CMAKE_BINARY_DIR}/package/QelPictavoDllConfigVersion.cmake
  DESTINATION ${QEL_PACKAGE_DIR})
