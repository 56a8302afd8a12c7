# The installed package as a host's project uses it: consumer_test.sh installs this build, builds examples/
# against the installed tree and runs them through the driver below. It moves the mouse.
add_executable(package_consumer_driver ${CMAKE_CURRENT_LIST_DIR}/PackageConsumerTests.cpp)
qel_warnings(package_consumer_driver)
target_link_libraries(package_consumer_driver PRIVATE qel_test_support gdiplus)
target_include_directories(package_consumer_driver PRIVATE ${CMAKE_SOURCE_DIR}/framework)
# What the test installs must be built first.
add_dependencies(package_consumer_driver QelPictavoDll QelFramework QelImageTransform QelAVFrame pictavo)

add_test(NAME package_consumer@single
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/consumer_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
    ${CMAKE_TOOLCHAIN_FILE} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:package_consumer_driver>)
set_tests_properties(package_consumer@single PROPERTIES LABELS "single;input" RUN_SERIAL TRUE TIMEOUT 300
  ENVIRONMENT "QEL_LAYOUT=single")
