# The installer and uninstaller program.

# Its logic, the same on every platform.
add_library(installer_core STATIC
  common/command_line.cpp
  installer/deferred_deletion.cpp
  installer/install_procedure.cpp
  installer/modes.cpp
  installer/removal_log.cpp
  installer/shell_integration.cpp
  installer/short_text.cpp
  installer/uninstall_launcher.cpp
  installer/uninstall_worker.cpp)
# The installer of an edition installs that edition's viewer and manual.
target_compile_definitions(installer_core PUBLIC VIEWER_NAME="${RANOSLOV_VIEWER_NAME}")

if(WIN32)
  add_executable(installer WIN32
    common/dll_search.cpp
    installer/win32_platform.cpp)
  target_link_libraries(installer PRIVATE installer_core ole32 advapi32)
  set_target_properties(installer PROPERTIES
    OUTPUT_NAME INSTALL
    SUFFIX ".EXE"
    RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
  add_program_resources(installer
    ICON "${PROJECT_SOURCE_DIR}/viewer/resources/install_icon.txt"
    EXECUTION_LEVEL requireAdministrator
    PRODUCT_NAME "Ranoslov Install Tool"
    INTERNAL_NAME "Ranoslov Install Tool"
    FILE_DESCRIPTION "Instalační nástroj programu Ranoslov"
    FILE_VERSION "1.2"
    FILE_VERSION_NUMBER 1.20.0.0
    PRODUCT_VERSION "1.11"
    PRODUCT_VERSION_NUMBER 1.11.0.0
    ORIGINAL_FILENAME "INSTALL.EXE")
else()
  add_subdirectory("${PROJECT_SOURCE_DIR}/tests/host/installer" "${CMAKE_BINARY_DIR}/tests/host/installer")
endif()

# Only the 64-bit programs run under Wine on this machine's kernel.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  include(tests/e2e/installer/installer_e2e.cmake)
endif()
