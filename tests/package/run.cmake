# Installs the built tree into a scratch prefix, then configures, builds and runs a consumer
# that finds the package with find_package(quarn) and one that uses the pkg-config file, and
# runs the installed host program.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package/consumer -B ${WORK_DIR}/build
  -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer configure failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer build failed: ${rc}")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer run failed: ${rc}")
endif()
# The installed host program starts from the prefix without help from the loader's path.
if(EXISTS ${WORK_DIR}/prefix/bin/quarn-host)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH
    ${WORK_DIR}/prefix/bin/quarn-host -c "echo: 6 * 7"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(rc OR NOT out STREQUAL "42\n")
    message(FATAL_ERROR "installed quarn-host did not run (${rc}): ${out}${err}")
  endif()
  # It finds the pictures installed with the library, not the source tree's.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH
    ${WORK_DIR}/prefix/bin/quarn-host -c "echo: $DEFAULT_ICON_PATH"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(rc OR NOT out STREQUAL "${WORK_DIR}/prefix/share/quarn/icons/\n"
     OR NOT EXISTS "${WORK_DIR}/prefix/share/quarn/icons/icon folder.tga")
    message(FATAL_ERROR "installed pictures not found (${rc}): ${out}${err}")
  endif()
endif()
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${WORK_DIR}/prefix/lib/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --libs --cflags quarn OUTPUT_VARIABLE flags RESULT_VARIABLE rc)
  if(rc OR NOT flags MATCHES "-lquarn")
    message(FATAL_ERROR "pkg-config quarn failed: ${flags}")
  endif()
endif()
