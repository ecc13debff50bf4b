# Installs the build into a fresh prefix, then configures, builds and runs examples/qt-app
# against the installed package only: what an application outside this tree would do.
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "install_test: ${var} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f include/brelund/boton.h include/brelund/host.h
          include/brelund/qt/boton_widget.h include/brelund/forms.h)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "install_test: ${f} was not installed")
  endif()
endforeach()
# (Only once the public headless header no longer reaches into the host's folder.)
file(READ ${SOURCE_DIR}/include/brelund/headless/button.h headless_public)
if(EXISTS ${prefix}/include/host/headless AND NOT headless_public MATCHES "host/headless/")
  message(FATAL_ERROR "install_test: the headless host's headers were installed")
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/qt-app -B ${WORK_DIR}/app -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/app)
run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${WORK_DIR}/app/qt-app --self-test)
