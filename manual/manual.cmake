# The manual RS<n>.RTF, converted from its UTF-8 source, beside the programs;
# in the Windows builds also the distribution package dist/Ranoslov<year>.zip
# and the release checks of both.

set(_manual_dir "${CMAKE_CURRENT_LIST_DIR}")
set(_manual_tests "${PROJECT_SOURCE_DIR}/tests/release")
set(MANUAL_SOURCE "${_manual_dir}/manual.txt")
set(MANUAL_FILE "${CMAKE_BINARY_DIR}/${RANOSLOV_VIEWER_NAME}.RTF")

add_custom_command(
  OUTPUT "${MANUAL_FILE}"
  COMMAND Python3::Interpreter "${_manual_dir}/make_rtf.py" --title "${RANOSLOV_TITLE}" "${MANUAL_SOURCE}"
          "${MANUAL_FILE}"
  DEPENDS "${_manual_dir}/make_rtf.py" "${MANUAL_SOURCE}"
  COMMENT "Converting the manual to ${RANOSLOV_VIEWER_NAME}.RTF")
add_custom_target(manual ALL DEPENDS "${MANUAL_FILE}")

enable_testing()

if(NOT WIN32)
  # The converter and the manual's source: cheap, so they run with the
  # host's unit tests.
  add_test(NAME manual_converter COMMAND "${Python3_EXECUTABLE}" "${_manual_dir}/test_make_rtf.py")
  # The messages the manual quotes against the programs' own texts.
  add_test(NAME manual_messages COMMAND "${Python3_EXECUTABLE}" "${_manual_dir}/test_messages.py")
  set_tests_properties(manual_converter manual_messages PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endif()

if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The manual as a word processor reads it. LibreOffice is slow to start, so
  # only the release build runs this check.
  find_program(SOFFICE_EXECUTABLE soffice REQUIRED)
  find_program(PDFTOPPM_EXECUTABLE pdftoppm REQUIRED)
  add_test(NAME release_manual
    COMMAND "${Python3_EXECUTABLE}" "${_manual_tests}/test_manual.py"
            --soffice "${SOFFICE_EXECUTABLE}" --pdftoppm "${PDFTOPPM_EXECUTABLE}"
            --source "${MANUAL_SOURCE}" --work "${CMAKE_BINARY_DIR}/manual" "${MANUAL_FILE}")
  set_tests_properties(release_manual PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1 TIMEOUT 300)
endif()

# The package: the installer, the viewer, the manual and the starter that runs
# the installer from the package's folder. Only where both programs are built.
if(TARGET installer AND TARGET viewer)
  set(PACKAGE_FILE "${CMAKE_BINARY_DIR}/dist/Ranoslov${RANOSLOV_YEAR}.zip")
  set(_package_starter "${_manual_dir}/INSTALUJ.BAT")
  # The members in this order; "name=file" pairs for the packer.
  set(_package_members
    "INSTALUJ.BAT=${_package_starter}"
    "INSTALL.EXE=$<TARGET_FILE:installer>"
    "${RANOSLOV_VIEWER_NAME}.EXE=$<TARGET_FILE:viewer>"
    "${RANOSLOV_VIEWER_NAME}.RTF=${MANUAL_FILE}")
  add_custom_command(
    OUTPUT "${PACKAGE_FILE}"
    COMMAND Python3::Interpreter "${_manual_dir}/make_package.py" "${PACKAGE_FILE}" ${_package_members}
    DEPENDS "${_manual_dir}/make_package.py" "${_package_starter}" installer viewer "${MANUAL_FILE}"
    COMMENT "Packing Ranoslov${RANOSLOV_YEAR}.zip")
  add_custom_target(package_zip ALL DEPENDS "${PACKAGE_FILE}")

  add_test(NAME release_package
    COMMAND "${Python3_EXECUTABLE}" "${_manual_tests}/test_package.py"
            --packer "${_manual_dir}/make_package.py" "${PACKAGE_FILE}" ${_package_members})
  set_tests_properties(release_package PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endif()

# The package end to end under Wine, in a session and prefix of its own: the
# starter, the installation, the manual's reminders, the removal. Only the
# 64-bit programs run under Wine here.
if(TARGET installer AND TARGET viewer AND TARGET box_driver)
  add_test(NAME e2e_package
    COMMAND "${Python3_EXECUTABLE}" "${_manual_tests}/e2e_package.py"
            --work "${CMAKE_BINARY_DIR}/package_e2e" --package "${PACKAGE_FILE}" --driver "$<TARGET_FILE:box_driver>"
            --texts "${RANOSLOV_TEXTS}" --manual "${MANUAL_SOURCE}")
  set_tests_properties(e2e_package PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1 TIMEOUT 300)
endif()
