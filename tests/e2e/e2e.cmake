# End-to-end tests: the Windows programs run under Wine, with a driver that
# reads and answers every message box they show.
set(E2E_DIR "${CMAKE_BINARY_DIR}/e2e")

add_executable(box_driver tests/e2e/box_driver.cpp)
target_compile_definitions(box_driver PRIVATE UNICODE _UNICODE)
target_link_options(box_driver PRIVATE -municode)
target_link_libraries(box_driver PRIVATE gdi32 user32 psapi ntdll)

# Known boxes for the driver's own test.
add_executable(box_fixture WIN32 tests/e2e/box_fixture.cpp)

# The measure for the start-up benchmark: one box and nothing else.
add_executable(one_box WIN32 tests/e2e/one_box.cpp)

# Another program's view of DIAR.TXT while the viewer has it open.
add_executable(file_access_probe WIN32 tests/e2e/file_access_probe.cpp)

# The stand-in for another year's viewer: records how it was started.
add_executable(command_line_probe WIN32 tests/e2e/command_line_probe.cpp common/command_line.cpp)

# The measure for the reminder benchmark: a plain read of the file.
add_executable(read_blocks WIN32 tests/e2e/read_blocks.cpp)

set(E2E_PROGRAMS box_driver box_fixture one_box file_access_probe command_line_probe read_blocks)
set_target_properties(${E2E_PROGRAMS} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${E2E_DIR}" SUFFIX ".exe")

enable_testing()
set(E2E_SCRIPT "${PROJECT_SOURCE_DIR}/tests/e2e/e2e.py")
set(WINE_ENV "${PROJECT_SOURCE_DIR}/tools/wine_env.sh")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${E2E_SCRIPT}")

# One Wine session (Xvfb, wineserver, prefix) for the whole suite.
add_test(NAME e2e.wine_start COMMAND "${WINE_ENV}" start "${CMAKE_BINARY_DIR}")
add_test(NAME e2e.wine_stop COMMAND "${WINE_ENV}" stop "${CMAKE_BINARY_DIR}")
set_tests_properties(e2e.wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(e2e.wine_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

set(E2E_COMMAND "${Python3_EXECUTABLE}" "${E2E_SCRIPT}" --build "${CMAKE_BINARY_DIR}" --year "${RANOSLOV_YEAR}"
                --texts "${RANOSLOV_TEXTS}")
execute_process(COMMAND ${E2E_COMMAND} --viewer - list OUTPUT_VARIABLE E2E_CASES OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
foreach(case IN LISTS E2E_CASES)
  add_test(NAME e2e.${case} COMMAND ${E2E_COMMAND} --viewer "$<TARGET_FILE:viewer>" run ${case})
  # The boxes all appear in the middle of the one screen: one case at a time.
  set_tests_properties(e2e.${case} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_display TIMEOUT 120)
endforeach()
