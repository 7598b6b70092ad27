# The programs' resources (icon "APPICON", manifest, Czech version block) and
# the release check that reads them back from each built program file.

set(_program_resources_dir "${CMAKE_CURRENT_LIST_DIR}")
set(_program_resources_root "${PROJECT_SOURCE_DIR}")

find_program(WRESTOOL_EXECUTABLE wrestool REQUIRED)
find_program(ICOTOOL_EXECUTABLE icotool REQUIRED)
enable_testing()

# add_program_resources(<target>
#   ICON <picture description, see tools/make_icon.py>
#   PRODUCT_NAME <text> INTERNAL_NAME <text> [FILE_DESCRIPTION <text>]
#   FILE_VERSION <text> FILE_VERSION_NUMBER <a.b.c.d>
#   PRODUCT_VERSION <text> PRODUCT_VERSION_NUMBER <a.b.c.d>
#   ORIGINAL_FILENAME <text>
#   [EXECUTION_LEVEL asInvoker|highestAvailable|requireAdministrator])
#
# Draws the icon, compiles the resources into <target> and registers the test
# release_<target>, which checks the built program against the same values.
function(add_program_resources target)
  set(texts PRODUCT_NAME INTERNAL_NAME FILE_DESCRIPTION FILE_VERSION PRODUCT_VERSION ORIGINAL_FILENAME)
  set(numbers FILE_VERSION_NUMBER PRODUCT_VERSION_NUMBER)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "ICON;EXECUTION_LEVEL;${texts};${numbers}" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "add_program_resources(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(required IN ITEMS ICON PRODUCT_NAME INTERNAL_NAME FILE_VERSION PRODUCT_VERSION ORIGINAL_FILENAME ${numbers})
    if(NOT DEFINED arg_${required})
      message(FATAL_ERROR "add_program_resources(${target}): ${required} is missing")
    endif()
  endforeach()

  # Fixed versions: four numbers of 16 bits, written "1,13,0,0" in the script.
  foreach(number IN LISTS numbers)
    if(NOT arg_${number} MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
      message(FATAL_ERROR "add_program_resources(${target}): ${number} '${arg_${number}}' is not a.b.c.d")
    endif()
    foreach(part IN ITEMS 1 2 3 4)
      if(CMAKE_MATCH_${part} GREATER 65535)
        message(FATAL_ERROR "add_program_resources(${target}): ${number} '${arg_${number}}' exceeds 65535")
      endif()
    endforeach()
    string(REPLACE "." "," PROGRAM_${number} "${arg_${number}}")
  endforeach()

  # The version strings, in the order Windows shows them; the check expects
  # exactly these. Quotes and backslashes would need escaping: none is used.
  set(PROGRAM_VERSION_STRINGS "")
  set(expected_strings "")
  foreach(text IN LISTS texts)
    if(NOT DEFINED arg_${text})
      continue()
    endif()
    if(arg_${text} MATCHES "[\"\\\\\n]")
      message(FATAL_ERROR "add_program_resources(${target}): ${text} holds a quote, backslash or line end")
    endif()
    # PRODUCT_NAME -> ProductName
    string(TOLOWER "${text}" words)
    string(REPLACE "_" ";" words "${words}")
    set(key "")
    foreach(word IN LISTS words)
      string(SUBSTRING "${word}" 0 1 first)
      string(SUBSTRING "${word}" 1 -1 rest)
      string(TOUPPER "${first}" first)
      string(APPEND key "${first}${rest}")
    endforeach()
    string(APPEND PROGRAM_VERSION_STRINGS "      VALUE \"${key}\", \"${arg_${text}}\"\n")
    list(APPEND expected_strings --string "${key}=${arg_${text}}")
  endforeach()

  set(output "${CMAKE_BINARY_DIR}/resources/${target}")
  set(PROGRAM_ICON "${output}.ico")
  # The execution level the manifest requests: asInvoker unless given.
  if(NOT DEFINED arg_EXECUTION_LEVEL)
    set(arg_EXECUTION_LEVEL asInvoker)
  endif()
  if(NOT arg_EXECUTION_LEVEL MATCHES "^(asInvoker|highestAvailable|requireAdministrator)$")
    message(FATAL_ERROR "add_program_resources(${target}): EXECUTION_LEVEL '${arg_EXECUTION_LEVEL}' is unknown")
  endif()
  set(PROGRAM_EXECUTION_LEVEL "${arg_EXECUTION_LEVEL}")
  set(PROGRAM_MANIFEST "${output}.manifest")
  configure_file("${_program_resources_dir}/program.manifest.in" "${PROGRAM_MANIFEST}" @ONLY)
  configure_file("${_program_resources_dir}/program.rc.in" "${output}.rc" @ONLY)

  set(icon_maker "${_program_resources_root}/tools/make_icon.py")
  add_custom_command(
    OUTPUT "${PROGRAM_ICON}"
    COMMAND Python3::Interpreter "${icon_maker}" "${arg_ICON}" "${PROGRAM_ICON}"
    DEPENDS "${icon_maker}" "${arg_ICON}"
    COMMENT "Drawing the icon of ${target}")
  # The resource compiler reads the icon and the manifest; make them known
  # as inputs so that a change rebuilds the resources.
  set_source_files_properties("${output}.rc" PROPERTIES OBJECT_DEPENDS "${PROGRAM_ICON};${PROGRAM_MANIFEST}")
  target_sources(${target} PRIVATE "${output}.rc" "${PROGRAM_ICON}")

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(machine x86-64)
  else()
    set(machine i386)
  endif()
  add_test(NAME release_${target}
    COMMAND "${Python3_EXECUTABLE}" "${_program_resources_root}/tests/release/check_program.py"
            --objdump "${CMAKE_OBJDUMP}" --wrestool "${WRESTOOL_EXECUTABLE}" --icotool "${ICOTOOL_EXECUTABLE}"
            --machine ${machine} --icon "${PROGRAM_ICON}" --execution-level ${arg_EXECUTION_LEVEL}
            --file-version ${arg_FILE_VERSION_NUMBER} --product-version ${arg_PRODUCT_VERSION_NUMBER}
            ${expected_strings} "$<TARGET_FILE:${target}>")
endfunction()

add_program_resources(viewer
  ICON "${CMAKE_CURRENT_LIST_DIR}/viewer_icon.txt"
  PRODUCT_NAME "${RANOSLOV_TITLE}"
  INTERNAL_NAME "${RANOSLOV_TITLE}"
  FILE_VERSION "27.12.2006"
  FILE_VERSION_NUMBER 1.13.0.0
  PRODUCT_VERSION "1.13"
  PRODUCT_VERSION_NUMBER 1.13.0.0
  ORIGINAL_FILENAME "${RANOSLOV_VIEWER_NAME}.EXE")

# The icon maker on its own: both pictures read back by an independent reader.
add_test(NAME release_icon_maker
  COMMAND "${Python3_EXECUTABLE}" "${_program_resources_root}/tests/release/test_icon_maker.py"
          --icotool "${ICOTOOL_EXECUTABLE}"
          "${CMAKE_CURRENT_LIST_DIR}/viewer_icon.txt" "${CMAKE_CURRENT_LIST_DIR}/install_icon.txt")
