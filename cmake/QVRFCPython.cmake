# Whether the Python module can be built: Debian's Python (/usr/bin/python3, which has numpy)
# with its headers, numpy and pybind11. Sets QVRFC_PYTHON_FOUND, always OFF in a sanitizer
# build; python/CMakeLists.txt builds the module with what is found here.
set(QVRFC_PYTHON_FOUND OFF)
if(NOT QVRFC_SANITIZE)
  if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python of the qvrfcdoe module")
  endif()
  find_package(Python3 COMPONENTS Interpreter Development.Module NumPy QUIET)
  if(Python3_FOUND)
    find_package(pybind11 CONFIG QUIET)
    set(QVRFC_PYTHON_FOUND ${pybind11_FOUND})
  endif()
endif()
