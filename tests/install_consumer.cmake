# Installs Kest into a scratch prefix, builds examples/quickstart against it through
# find_package(kest), and runs the result for a moment on a fresh directory.
file(REMOVE_RECURSE ${WORK_DIR})
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}")
  endif()
endfunction()
run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix)
# The application's headers are there; the internal seam is not.
foreach(header control/kest_server.h services/gem_event_report.h gemdb/gemdb.h)
  if(NOT EXISTS ${WORK_DIR}/prefix/include/kest/${header})
    message(FATAL_ERROR "public header ${header} was not installed")
  endif()
endforeach()
foreach(header core/gem_context.h control/control_core.h host/ed_primary_in.h)
  if(EXISTS ${WORK_DIR}/prefix/include/kest/${header})
    message(FATAL_ERROR "internal header ${header} was installed")
  endif()
endforeach()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/quickstart -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
# The quick start listens where its database says: loopback and a port the system chooses.
file(MAKE_DIRECTORY ${WORK_DIR}/data)
run(${BINARY_DIR}/apps/kest-db init ${WORK_DIR}/data/GEM.mdb)
run(sqlite3 ${WORK_DIR}/data/GEM.mdb
    "UPDATE secs_setting SET set_value='127.0.0.1', set_defaultval='127.0.0.1' WHERE set_field='LocalIPAddress';
     UPDATE secs_setting SET set_value='0', set_defaultval='0' WHERE set_field='LocalIPPort';")
run(${WORK_DIR}/build/quickstart ${WORK_DIR}/data 300)
if(NOT EXISTS ${WORK_DIR}/data/GEM.mdb OR NOT EXISTS ${WORK_DIR}/data/Log)
  message(FATAL_ERROR "the quick start did not prepare its directory")
endif()
