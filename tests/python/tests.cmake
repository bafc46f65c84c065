# The Python module's tests, run by Debian's pytest with the interpreter the module was built
# for, the package from the build tree and the built program to compare with.
if(TARGET _qvrfcdoe AND TARGET qvrfcdoe)
  add_test(NAME python.module
    COMMAND ${QVRFC_PYTHON_EXECUTABLE} -m pytest -q -p no:cacheprovider ${CMAKE_CURRENT_LIST_DIR})
  set_tests_properties(python.module PROPERTIES
    ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1;PYTHONPATH=${PROJECT_BINARY_DIR}/python;QVRFCDOE_PROGRAM=$<TARGET_FILE:qvrfcdoe>;QVRFC_DATA_DIR=${PROJECT_SOURCE_DIR}/data"
    TIMEOUT 300)
endif()
