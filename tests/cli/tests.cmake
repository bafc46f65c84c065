# The program's tests run the built qvrfcdoe, whose path they are given at compile time.
if(TARGET qvrfcdoe)
  foreach(target cli_test hardening_test)
    target_compile_definitions(${target} PRIVATE QVRFC_CLI_PATH="$<TARGET_FILE:qvrfcdoe>")
    add_dependencies(${target} qvrfcdoe)
  endforeach()
endif()
