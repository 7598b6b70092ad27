# The Windows programs: small, statically linked GUI executables that import
# only system DLLs. They land at the top of the build folder.
add_executable(viewer WIN32
  common/dll_search.cpp
  viewer/win32_platform.cpp)
target_link_libraries(viewer PRIVATE viewer_core shell32)
set_target_properties(viewer PROPERTIES
  OUTPUT_NAME "${RANOSLOV_VIEWER_NAME}"
  SUFFIX ".EXE"
  RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")

include(viewer/resources/resources.cmake)
# Only the 64-bit programs run under Wine on this machine's kernel.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  include(tests/e2e/e2e.cmake)
endif()
