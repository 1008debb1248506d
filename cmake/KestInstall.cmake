# The installed package: `find_package(kest)` gives kest::kest (static) and kest::kest_shared.
include(CMakePackageConfigHelpers)

install(TARGETS kest kest_shared EXPORT kestTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kest)
# Only the public headers are installed: those an application includes, and every header they
# include in turn. The internal seam (core/gem_context.h, the control's engine, the handlers)
# stays out, so it can change without breaking an application.
set(kest_public_roots
    control/kest_server.h control/app_directory.h core/gem_types.h
    services/gem_estab_comm.h services/gem_heart_beat.h services/gem_clock.h
    services/gem_alarm.h services/gem_event_report.h services/gem_terminal.h
    services/gem_process_program.h services/gem_map.h
    settings/secs_protocol.h settings/secs_initialize.h
    gemdb/gemdb.h driver/secs_driver.h ui/frm_main.h queue/queue_store.h)
set(kest_public_headers "")
set(pending ${kest_public_roots})
while(pending)
  list(POP_FRONT pending header)
  if(header IN_LIST kest_public_headers)
    continue()
  endif()
  list(APPEND kest_public_headers ${header})
  file(STRINGS ${PROJECT_SOURCE_DIR}/src/${header} includes REGEX "^#include \"[a-z_]+/[a-z_0-9]+\\.h\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    list(APPEND pending ${included})
  endforeach()
endwhile()
foreach(header IN LISTS kest_public_headers)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kest/${folder})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/Default.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/kest)
install(EXPORT kestTargets NAMESPACE kest:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kest)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kestConfig.cmake.in
  ${PROJECT_BINARY_DIR}/kestConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kest)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kestConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kestConfig.cmake ${PROJECT_BINARY_DIR}/kestConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kest)
