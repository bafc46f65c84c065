# The program's tests run the built qvrfcdoe, whose path they are given at compile time.
if(TARGET qvrfcdoe)
  target_compile_definitions(cli_cli_test PRIVATE QVRFC_CLI_PATH="$<TARGET_FILE:qvrfcdoe>")
  add_dependencies(cli_cli_test qvrfcdoe)
endif()
