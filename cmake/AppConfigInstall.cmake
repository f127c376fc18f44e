# Installation: headers, the shared and static library, the tool, the schema,
# the examples, a CMake package (find_package(AppConfig)) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(APPCONFIG_INSTALL_SCHEMADIR "${CMAKE_INSTALL_DATADIR}/appconfig/schemas")
set(APPCONFIG_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/AppConfig")

install(TARGETS appconfig appconfig_static EXPORT AppConfigTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS appconfig_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/appconfig DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  PATTERN ui EXCLUDE)
install(FILES schemas/Description.xdr DESTINATION ${APPCONFIG_INSTALL_SCHEMADIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/appconfig/examples)
install(DIRECTORY resources/icons DESTINATION ${CMAKE_INSTALL_DATADIR}/appconfig)

install(EXPORT AppConfigTargets NAMESPACE AppConfig:: DESTINATION ${APPCONFIG_INSTALL_CMAKEDIR})

# The user interface library is a component of its own (install component and
# find_package(AppConfig COMPONENTS ui)), with its headers and its own export.
if(TARGET appconfig_ui)
  install(TARGETS appconfig_ui EXPORT AppConfigUiTargets COMPONENT ui
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(DIRECTORY include/appconfig/ui DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/appconfig COMPONENT ui)
  install(EXPORT AppConfigUiTargets NAMESPACE AppConfig:: DESTINATION ${APPCONFIG_INSTALL_CMAKEDIR}
    COMPONENT ui)
endif()
configure_package_config_file(cmake/AppConfigConfig.cmake.in
  "${PROJECT_BINARY_DIR}/AppConfigConfig.cmake"
  INSTALL_DESTINATION ${APPCONFIG_INSTALL_CMAKEDIR}
  PATH_VARS APPCONFIG_INSTALL_SCHEMADIR)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/AppConfigConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/AppConfigConfig.cmake" "${PROJECT_BINARY_DIR}/AppConfigConfigVersion.cmake"
  DESTINATION ${APPCONFIG_INSTALL_CMAKEDIR})

configure_file(cmake/appconfig.pc.in "${PROJECT_BINARY_DIR}/appconfig.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/appconfig.pc" DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
