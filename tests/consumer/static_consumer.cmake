# The same check as consumer_test.cmake on a static installation: builds the headless libraries
# of this tree with BUILD_SHARED_LIBS=OFF in a folder of its own, then builds the README's example
# against them through CMake and pkg-config.
foreach(var SOURCE_DIR WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "static_consumer: ${var} is not set")
  endif()
endforeach()
set(build ${WORK_DIR}/static-build)
foreach(step "-S;${SOURCE_DIR};-B;${build};-G;Ninja;-DCMAKE_BUILD_TYPE=Release;-DBUILD_SHARED_LIBS=OFF;-DBRELUND_QT=OFF"
             "--build;${build};-j;2")
  execute_process(COMMAND ${CMAKE_COMMAND} ${step} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "static_consumer: cmake ${step} failed (${rc}):\n${out}\n${err}")
  endif()
endforeach()
set(BUILD_DIR ${build})
set(STATIC 1)
set(WORK_DIR ${WORK_DIR}/consumer)
include(${CMAKE_CURRENT_LIST_DIR}/consumer_test.cmake)
