# The layers above the engine (experiment, inference, charts, results): one shared library
# each, built from every source file of its folder, with hidden visibility like the engine.
#
#   qvrfc_add_layer(QVRFCDOEInference inference
#                   USES QVRFCDOEExperiment          # the project's libraries it builds on
#                   PRIVATE Boost::headers)          # third-party libraries its .cpp files use
#
# Layers are installed with the engine, into the same CMake package and header tree (their
# public headers as cmake/QVRFCHeaders.cmake lists them); the global property
# QVRFC_LAYER_TARGETS lists them, lowest first.
function(qvrfc_add_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 LAYER "" "" "USES;PRIVATE")
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${target} SHARED ${sources})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  add_library(QVRFCDOEEngine::${target} ALIAS ${target})
  target_link_libraries(${target} PUBLIC QVRFCDOEEngine ${LAYER_USES} PRIVATE ${LAYER_PRIVATE})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")  # installed, a layer finds the layers below it beside itself
  install(TARGETS ${target} EXPORT QVRFCDOEEngineTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  qvrfc_install_headers("${QVRFC_HEADERS_${folder}}")
  set_property(GLOBAL APPEND PROPERTY QVRFC_LAYER_TARGETS ${target})
endfunction()

# A third-party package that a layer needs; configuring stops with one sentence naming the
# Debian package when it is missing.
macro(qvrfc_require_package package debian)
  find_package(${package} ${ARGN} QUIET)
  if(NOT ${package}_FOUND)
    message(FATAL_ERROR "${package} is missing: install the Debian package ${debian} (scripts/install-deps does).")
  endif()
endmacro()
