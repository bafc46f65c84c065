# The layers above the engine (experiment, inference, charts, results): one shared library
# each, built from every source file of its folder, with hidden visibility like the engine.
#
#   qvrfc_add_layer(QVRFCDOEInference inference
#                   USES QVRFCDOEExperiment          # the project's libraries it builds on
#                   PRIVATE Boost::headers)          # third-party libraries its .cpp files use
#
# Layers are installed with the engine, into the same CMake package and header tree (their
# public headers as cmake/QVRFCHeaders.cmake lists them); the global property
# QVRFC_LAYER_TARGETS lists them, lowest first, and QVRFC_LAYER_OF_<folder> names the library
# of a folder. A layer links only what it names: a call into a layer it does not use fails
# the build of its library.
function(qvrfc_add_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 LAYER "" "" "USES;PRIVATE")
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${target} ${QVRFC_LIBRARY_KIND} ${sources})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  add_library(QVRFCDOEEngine::${target} ALIAS ${target})
  target_link_libraries(${target} PUBLIC QVRFCDOEEngine ${LAYER_USES} PRIVATE ${LAYER_PRIVATE})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")  # installed, a layer finds the layers below it beside itself
  if(NOT QVRFC_BUILD_WASM)
    install(TARGETS ${target} EXPORT QVRFCDOEEngineTargets
      LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
  qvrfc_install_headers("${QVRFC_HEADERS_${folder}}")
  qvrfc_link_only_what_is_named(${target})
  set_property(GLOBAL APPEND PROPERTY QVRFC_LAYER_TARGETS ${target})
  set_property(GLOBAL PROPERTY QVRFC_LAYER_OF_${folder} ${target})
endfunction()

# A shared library whose every symbol must be found in what it links: a call into a library
# it does not link (a layer above it, say) is a link error, not a symbol left for the program
# to supply. Not with the sanitizers or libFuzzer, whose runtimes the program brings.
function(qvrfc_link_only_what_is_named target)
  if(NOT QVRFC_SANITIZE AND NOT QVRFC_BUILD_FUZZ)
    target_link_options(${target} PRIVATE LINKER:--no-undefined)
  endif()
endfunction()

# A folder of the source tree that the build needs: configuring stops when it is missing.
function(qvrfc_require_folder folder what)
  if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder})
    message(FATAL_ERROR "The folder ${folder}/ (${what}) is missing from ${PROJECT_SOURCE_DIR}.")
  endif()
endfunction()

# add_subdirectory of a folder with its CMakeLists.txt, which must be there.
macro(qvrfc_add_folder folder what)
  if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${folder}/CMakeLists.txt)
    message(FATAL_ERROR "The folder ${folder}/ (${what}) or its CMakeLists.txt is missing from ${PROJECT_SOURCE_DIR}.")
  endif()
  add_subdirectory(${folder})
endmacro()

# A third-party package that a layer needs; configuring stops with one sentence naming the
# Debian package when it is missing.
# (The module's build defines these packages as header-only targets: cmake/QVRFCWasm.cmake.)
macro(qvrfc_require_package package debian)
  if(NOT QVRFC_BUILD_WASM)
    find_package(${package} ${ARGN} QUIET)
    if(NOT ${package}_FOUND)
      message(FATAL_ERROR "${package} is missing: install the Debian package ${debian} (scripts/install-deps does).")
    endif()
  endif()
endmacro()
