# The year's texts: the converter's checks, and the committed source against
# its references and the verse data.
add_test(NAME texts_converter COMMAND "${Python3_EXECUTABLE}" "${CMAKE_CURRENT_LIST_DIR}/test_build_table.py")
add_test(NAME texts_source COMMAND "${Python3_EXECUTABLE}" "${CMAKE_CURRENT_LIST_DIR}/test_texts.py")
set_tests_properties(texts_converter texts_source PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
# The year's figures; fails when a verse is used twice or a reference is refused.
add_test(NAME texts_report COMMAND "${Python3_EXECUTABLE}" "${CMAKE_CURRENT_LIST_DIR}/report.py")
set_tests_properties(texts_report PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
