# The program's tests run the built qvrfcdoe, whose path they are given at compile time.
if(TARGET qvrfcdoe)
  foreach(target cli_test hardening_test)
    target_compile_definitions(${target} PRIVATE QVRFC_CLI_PATH="$<TARGET_FILE:qvrfcdoe>")
    add_dependencies(${target} qvrfcdoe)
  endforeach()
endif()
# The run sheet as a workbook filled by openpyxl and saved as .ods, analysed as the CSV is; run by
# Debian's interpreter, which has Debian's python3-openpyxl.
find_program(QVRFC_DEBIAN_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(QVRFC_DEBIAN_PYTHON3 python3)
if(TARGET qvrfcdoe AND QVRFC_DEBIAN_PYTHON3)
  add_test(NAME cli.workbook_round_trip
    COMMAND ${QVRFC_DEBIAN_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/workbook_round_trip.py
            $<TARGET_FILE:qvrfcdoe> ${PROJECT_SOURCE_DIR}/data)
  set_tests_properties(cli.workbook_round_trip PROPERTIES
    ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1" TIMEOUT 300)
endif()
# The program's own helper that decides whether to start again on huge pages.
if(TARGET cli_test)
  target_sources(cli_test PRIVATE ${PROJECT_SOURCE_DIR}/cli/HugePages.cpp)
endif()
