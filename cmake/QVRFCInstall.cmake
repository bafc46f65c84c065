# Install rules of the engine: the shared library, its public headers under
# include/QVRFCDOEEngine/<folder>/, a relocatable CMake package and pkg-config
# file, and the bundled experiment data. The program installs itself (cli/).
include(CMakePackageConfigHelpers)

set(QVRFC_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/QVRFCDOEEngine)
set(QVRFC_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QVRFCDOEEngine)
set(QVRFC_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/QVRFCDOEEngine/data)

install(TARGETS QVRFCDOEEngine EXPORT QVRFCDOEEngineTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Headers keep their folder, so "arrays/QVRFCDOETaguchiOrthogonalArray.h" resolves alike
# in the source tree and under the installed include root. A header whose opening comment
# says "Internal to the library" serves the library's own sources and is not installed.
function(qvrfc_install_headers headers)
  foreach(header IN LISTS headers)
    file(STRINGS ${header} internal LIMIT_COUNT 12 REGEX "^//.*Internal to the library")
    if(internal)
      continue()
    endif()
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
    get_filename_component(folder ${relative} DIRECTORY)
    install(FILES ${header} DESTINATION ${QVRFC_INSTALL_INCLUDEDIR}/${folder})
  endforeach()
endfunction()
qvrfc_install_headers("${QVRFC_PUBLIC_HEADERS}")
install(FILES ${PROJECT_SOURCE_DIR}/QVRFCDOEEngine.h DESTINATION ${QVRFC_INSTALL_INCLUDEDIR})

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
