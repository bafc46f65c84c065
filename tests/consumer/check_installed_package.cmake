# Run by CTest with -D BUILD_DIR, CONSUMER_SOURCE_DIR, WORK_DIR, CXX_COMPILER, SANITIZE, WITH_CLI,
# README (the README.md whose examples are run), and PYTHON (empty without the Python module)
# with PYTHON_DIR.
# Installs the engine into WORK_DIR/prefix and uses it as an outside project would: through
# its CMake package, through pkg-config from C++20, and in the README's examples, which name
# the prefix /opt/qvrfc and are run with this one instead.
cmake_minimum_required(VERSION 3.20)

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY ${WORK_DIR})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

# The code blocks of the README in a language, the prefix /opt/qvrfc replaced by the
# installed one; a list, each block's semicolons escaped as a list element's are.
function(readme_blocks language result)
  file(READ ${README} text)
  string(REPLACE "/opt/qvrfc" "${PREFIX}" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REGEX MATCHALL "```${language}\n[^`]*```" blocks "${text}")
  string(REGEX MATCHALL "```${language}\n" fences "${text}")
  list(LENGTH blocks found)
  list(LENGTH fences opened)
  if(NOT found EQUAL opened)
    message(FATAL_ERROR "${README}: ${opened} ${language} blocks, ${found} read (a backtick inside one?)")
  endif()
  set(list "")
  foreach(block IN LISTS blocks)
    string(REGEX REPLACE "^```${language}\n" "" block "${block}")
    string(REGEX REPLACE "```$" "" block "${block}")
    string(REPLACE ";" "\\;" block "${block}")
    list(APPEND list "${block}")
  endforeach()
  set(${result} "${list}" PARENT_SCOPE)
endfunction()

function(expect_file path)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

set(PREFIX ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()

run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
file(GLOB_RECURSE pc_files ${PREFIX}/*/QVRFCDOEEngine.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
get_filename_component(lib_dir ${pc_dir} DIRECTORY)
expect_file(include/qvrfc/QVRFCDOEEngine.h)
expect_file(include/qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h)
expect_file(include/qvrfc/analyzer/QVRFCDOEAnalyzer.h)
expect_file(include/qvrfc/common/CString.h)
expect_file(include/qvrfc/statistics/QVRFCStatistics.h)
expect_file(include/qvrfc/analysis/Analysis.h)
expect_file(share/QVRFCDOEEngine/data/DOETest1.ipt)
# The umbrella header reaches every public header.
file(READ ${PREFIX}/include/qvrfc/QVRFCDOEEngine.h umbrella)
file(GLOB_RECURSE headers RELATIVE ${PREFIX}/include ${PREFIX}/include/qvrfc/*.h)
foreach(header IN LISTS headers)
  string(FIND "${umbrella}" "#include \"${header}\"" at)
  if(at EQUAL -1 AND NOT header STREQUAL "qvrfc/QVRFCDOEEngine.h")
    message(FATAL_ERROR "qvrfc/QVRFCDOEEngine.h does not include ${header}")
  endif()
endforeach()
foreach(internal scenarios/ScenarioData.h analysis/AnalysisParts.h charts/ChartCanvas.h)
  if(EXISTS ${PREFIX}/include/qvrfc/${internal} OR EXISTS ${PREFIX}/include/${internal})
    message(FATAL_ERROR "an internal header was installed: ${internal}")
  endif()
endforeach()

# find_package through CMAKE_PREFIX_PATH.
run_step("consumer configure" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE_DIR} -B ${WORK_DIR}/build
         -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
         "-DCMAKE_CXX_FLAGS=${flags}" "-DCMAKE_EXE_LINKER_FLAGS=${flags}")
run_step("consumer build" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step("consumer run (CMake package)" ${WORK_DIR}/build/consumer)
message(STATUS "${step_output}")

# pkg-config through PKG_CONFIG_PATH.
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  run_step("pkg-config" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir}
           ${PKG_CONFIG} --cflags --libs QVRFCDOEEngine)
  if(step_output MATCHES "-std=")
    message(FATAL_ERROR "pkg-config imposes a language standard: ${step_output}")
  endif()
  separate_arguments(pc_flags UNIX_COMMAND "${step_output}")
  separate_arguments(extra UNIX_COMMAND "${flags}")
  run_step("consumer build (pkg-config, C++20)" ${CXX_COMPILER} -std=c++20 ${extra}
           "-DQVRFC_DATA_DIR=\"${PREFIX}/share/QVRFCDOEEngine/data\""
           ${CONSUMER_SOURCE_DIR}/consumer.cpp ${pc_flags} -o ${WORK_DIR}/consumer-pc)
  run_step("consumer run (pkg-config, C++20)" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${lib_dir}
           ${WORK_DIR}/consumer-pc)
  if(NOT step_output MATCHES "C\\+\\+20")
    message(FATAL_ERROR "the pkg-config consumer was not built as C++20:\n${step_output}")
  endif()

  # The README's C++ examples, each a whole program, built as its pkg-config line builds them.
  readme_blocks(cpp cpp_blocks)
  set(n 0)
  foreach(block IN LISTS cpp_blocks)
    math(EXPR n "${n} + 1")
    file(WRITE ${WORK_DIR}/readme/example${n}.cpp "${block}")
    run_step("README C++ example ${n}: build" ${CXX_COMPILER} ${extra}
             ${WORK_DIR}/readme/example${n}.cpp ${pc_flags} -o ${WORK_DIR}/readme/example${n})
    run_step("README C++ example ${n}: run" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${lib_dir}
             ${WORK_DIR}/readme/example${n})
  endforeach()
  if(n EQUAL 0)
    message(FATAL_ERROR "no C++ example found in ${README}")
  endif()
else()
  message(STATUS "pkg-config not found: pkg-config check skipped")
endif()

# The installed program finds the installed data, not the source tree's.
if(WITH_CLI)
  expect_file(bin/qvrfcdoe)
  run_step("qvrfcdoe --version" ${PREFIX}/bin/qvrfcdoe --version)
  run_step("qvrfcdoe arrays" ${PREFIX}/bin/qvrfcdoe arrays)
  run_step("qvrfcdoe analyse --help" ${PREFIX}/bin/qvrfcdoe analyse --help)
  if(NOT step_output MATCHES "filled run sheet or a quality data file")
    message(FATAL_ERROR "analyse is not analyze:\n${step_output}")
  endif()
  run_step("qvrfcdoe selftest" ${PREFIX}/bin/qvrfcdoe selftest --out ${WORK_DIR}/selftest-out)
  if(NOT step_output MATCHES "FAIL! above marks the mixed-level arrays \\(L18, L32', L36, L36', L50, L54\\)")
    message(FATAL_ERROR "selftest does not explain its FAIL! verdicts:\n${step_output}")
  endif()
  run_step("qvrfcdoe demo" ${PREFIX}/bin/qvrfcdoe demo --out ${WORK_DIR}/demo-out)
  string(FIND "${step_output}" "Demo: ${PREFIX}/share/QVRFCDOEEngine/data/DOETest1.ipt" at)
  if(NOT at EQUAL 0 OR NOT EXISTS ${WORK_DIR}/demo-out/DOETest1.log)
    message(FATAL_ERROR "installed qvrfcdoe demo did not analyse the installed data:\n${step_output}")
  endif()
endif()

# The installed Python module imports from the prefix and finds the installed libraries.
if(PYTHON)
  expect_file(${PYTHON_DIR}/qvrfcdoe/__init__.pyi)
  run_step("import qvrfcdoe" ${CMAKE_COMMAND} -E env PYTHONPATH=${PREFIX}/${PYTHON_DIR}
           PYTHONDONTWRITEBYTECODE=1 ${PYTHON} -c
           "import qvrfcdoe\nprint(qvrfcdoe.__file__, qvrfcdoe.array('L9').shape)")
  string(FIND "${step_output}" "${PREFIX}/${PYTHON_DIR}/qvrfcdoe/__init__.py (9, 4)" at)
  if(NOT at EQUAL 0)
    message(FATAL_ERROR "the installed module was not the one imported:\n${step_output}")
  endif()
  # The README's Python examples, each run in a folder where data/ is the installed data.
  readme_blocks(python python_blocks)
  set(n 0)
  foreach(block IN LISTS python_blocks)
    math(EXPR n "${n} + 1")
    set(folder ${WORK_DIR}/readme/python${n})
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${PREFIX}/share/QVRFCDOEEngine/data ${folder}/data SYMBOLIC)
    file(WRITE ${folder}/example.py "${block}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${PREFIX}/${PYTHON_DIR}
                    PYTHONDONTWRITEBYTECODE=1 ${PYTHON} example.py
                    WORKING_DIRECTORY ${folder} RESULT_VARIABLE status ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "README Python example ${n} failed (${status}):\n${block}\n${err}")
    endif()
  endforeach()
endif()
