# End-to-end tests of INSTALL.EXE under Wine. Every case runs in a Wine
# prefix of its own, copied from one made fresh for the run, with the box
# driver answering the installer's boxes.

# Single operations of the installer's code against the real system.
add_executable(installer_probe
  tests/e2e/installer/installer_probe.cpp
  common/dll_search.cpp
  installer/win32_platform.cpp)
target_link_libraries(installer_probe PRIVATE installer_core ole32 uuid advapi32)
set_target_properties(installer_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/e2e" SUFFIX ".exe")

set(INSTALLER_E2E "${PROJECT_SOURCE_DIR}/tests/e2e/installer/installer_e2e.py")
set(INSTALLER_E2E_ARGS --build "${CMAKE_BINARY_DIR}" --viewer-name "${RANOSLOV_VIEWER_NAME}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${INSTALLER_E2E}")

add_test(NAME installer_e2e.fresh_prefix COMMAND "${Python3_EXECUTABLE}" "${INSTALLER_E2E}" ${INSTALLER_E2E_ARGS} prefix)
add_test(NAME installer_e2e.cleanup COMMAND "${Python3_EXECUTABLE}" "${INSTALLER_E2E}" ${INSTALLER_E2E_ARGS} cleanup)
set_tests_properties(installer_e2e.fresh_prefix PROPERTIES FIXTURES_SETUP installer_prefix TIMEOUT 300)
set_tests_properties(installer_e2e.cleanup PROPERTIES FIXTURES_CLEANUP installer_prefix TIMEOUT 60)

execute_process(
  COMMAND "${Python3_EXECUTABLE}" "${INSTALLER_E2E}" ${INSTALLER_E2E_ARGS} list
  OUTPUT_VARIABLE INSTALLER_E2E_CASES OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
foreach(case IN LISTS INSTALLER_E2E_CASES)
  add_test(NAME installer_e2e.${case}
           COMMAND "${Python3_EXECUTABLE}" "${INSTALLER_E2E}" ${INSTALLER_E2E_ARGS} run ${case})
  # Each case has a prefix, a wineserver and a display of its own.
  set_tests_properties(installer_e2e.${case} PROPERTIES FIXTURES_REQUIRED installer_prefix TIMEOUT 180)
endforeach()
