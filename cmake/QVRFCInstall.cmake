# Install rules of the engine: the shared library, its public headers under
# include/qvrfc/<folder>/, a relocatable CMake package and pkg-config file covering the
# layers, and the bundled experiment data. The program installs itself (cli/).
include(CMakePackageConfigHelpers)

set(QVRFC_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QVRFCDOEEngine)
set(QVRFC_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/QVRFCDOEEngine/data)

install(TARGETS QVRFCDOEEngine EXPORT QVRFCDOEEngineTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The public headers keep their folder under include/qvrfc/, as in the source tree, so
# "qvrfc/analyzer/QVRFCDOEAnalyzer.h" resolves alike in both.
function(qvrfc_install_headers headers)
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/${header})
    get_filename_component(folder ${relative} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder})
  endforeach()
endfunction()
foreach(dir IN LISTS QVRFC_LIBRARY_DIRS)
  qvrfc_install_headers("${QVRFC_HEADERS_${dir}}")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/include/qvrfc/QVRFCDOEEngine.h
  ${PROJECT_SOURCE_DIR}/include/qvrfc/Version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qvrfc)

# The package files are written once every layer has joined the export set (see the end of
# the top-level CMakeLists.txt).
macro(qvrfc_install_package)
  install(EXPORT QVRFCDOEEngineTargets
    NAMESPACE QVRFCDOEEngine::
    DESTINATION ${QVRFC_INSTALL_CMAKEDIR})
  configure_package_config_file(cmake/QVRFCDOEEngineConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QVRFCDOEEngineConfig.cmake
    INSTALL_DESTINATION ${QVRFC_INSTALL_CMAKEDIR}
    PATH_VARS QVRFC_INSTALL_DATADIR)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/QVRFCDOEEngineConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES
    ${PROJECT_BINARY_DIR}/QVRFCDOEEngineConfig.cmake
    ${PROJECT_BINARY_DIR}/QVRFCDOEEngineConfigVersion.cmake
    DESTINATION ${QVRFC_INSTALL_CMAKEDIR})

  # The pkg-config file finds the prefix from its own place, so an installed tree can be moved.
  if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    set(QVRFC_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  else()
    file(RELATIVE_PATH QVRFC_PC_UP "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
    string(REGEX REPLACE "/$" "" QVRFC_PC_UP "${QVRFC_PC_UP}")
    set(QVRFC_PC_PREFIX "\${pcfiledir}/${QVRFC_PC_UP}")
  endif()
  configure_file(cmake/QVRFCDOEEngine.pc.in ${PROJECT_BINARY_DIR}/QVRFCDOEEngine.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/QVRFCDOEEngine.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${QVRFC_INSTALL_DATADIR} OPTIONAL)
endmacro()
