# The installed package: `find_package(kest)` gives kest::kest (static) and kest::kest_shared.
include(CMakePackageConfigHelpers)

install(TARGETS kest kest_shared EXPORT kestTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kest)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kest
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/data/Default.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/kest)
install(EXPORT kestTargets NAMESPACE kest:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kest)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kestConfig.cmake.in
  ${PROJECT_BINARY_DIR}/kestConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kest)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kestConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kestConfig.cmake ${PROJECT_BINARY_DIR}/kestConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kest)
