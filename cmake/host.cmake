# The host build: the logic against a fake platform, with GoogleTest.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_subdirectory(tests/host)
include(viewer/texts/tests.cmake)
