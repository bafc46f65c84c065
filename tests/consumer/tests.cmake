# Installs the engine into a temporary prefix, then builds and runs a small program
# against it twice: through find_package and through pkg-config.
add_test(NAME consumer.installed_package
  COMMAND ${CMAKE_COMMAND}
    -DBUILD_DIR=${PROJECT_BINARY_DIR}
    -DCONSUMER_SOURCE_DIR=${CMAKE_CURRENT_LIST_DIR}
    -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/consumer-work
    -DCXX_COMPILER=${CMAKE_CXX_COMPILER}
    -DSANITIZE=${QVRFC_SANITIZE}
    -DWITH_CLI=${QVRFC_BUILD_CLI}
    "-DPYTHON=$<$<TARGET_EXISTS:_qvrfcdoe>:${QVRFC_PYTHON_EXECUTABLE}>"
    -DPYTHON_DIR=${QVRFC_PYTHON_INSTALL_DIR}
    -DREADME=${PROJECT_SOURCE_DIR}/README.md
    -P ${CMAKE_CURRENT_LIST_DIR}/check_installed_package.cmake)
set_tests_properties(consumer.installed_package PROPERTIES TIMEOUT 300)
