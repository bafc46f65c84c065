# The page's WebAssembly module against the program, when a module was built (emcmake, in a
# build folder of its own: .ci/run) and named by QVRFC_WASM_DIR: node runs the module's test,
# and the page's in headless Chromium when it is installed.
if(QVRFC_WASM_DIR AND TARGET qvrfcdoe)
  find_program(QVRFC_NODE node)
  if(NOT QVRFC_NODE)
    message(FATAL_ERROR "QVRFC_WASM_DIR is set but node is missing: the module's tests need it.")
  endif()
  add_test(NAME wasm_module
    COMMAND ${QVRFC_NODE} ${CMAKE_CURRENT_LIST_DIR}/module_test.js ${QVRFC_WASM_DIR}
            $<TARGET_FILE:qvrfcdoe> ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  find_program(QVRFC_CHROMIUM NAMES chromium chromium-browser google-chrome)
  if(QVRFC_CHROMIUM)
    add_test(NAME wasm_page
      COMMAND ${QVRFC_NODE} ${CMAKE_CURRENT_LIST_DIR}/page_test.js $<TARGET_FILE:qvrfcdoe>
              ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR} ${QVRFC_CHROMIUM})
    set_tests_properties(wasm_page PROPERTIES TIMEOUT 300)
  else()
    message(STATUS "The page's test: off (it needs chromium)")
  endif()
endif()
