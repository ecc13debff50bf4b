# Installs the build into a fresh prefix and builds tests/consumer against it twice: through the
# CMake package with Qt, nlohmann-json, PNG and FreeType made unfindable (the Headless component
# must not ask for them), and through pkg-config alone. Both programs run and write a PNG.
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR CXX STATIC)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consumer_test: ${var} is not set")
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
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
# The headless headers must stand on their own: without the private headers that the Qt widget's
# header still needs, the example builds all the same.
foreach(private control render shape input host)
  file(REMOVE_RECURSE ${prefix}/include/${private})
endforeach()
set(app ${SOURCE_DIR}/tests/consumer)

# The README's headless example, as it stands there: its includes, then its statements in a
# function that main() calls.
file(READ ${SOURCE_DIR}/README.md readme)
string(REGEX MATCH "```cpp\n(#include <brelund/headless/[^`]*)```" block "${readme}")
if(NOT block)
  message(FATAL_ERROR "consumer_test: no headless example in README.md")
endif()
set(snippet "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "#include <[^>]*>" includes "${snippet}")
list(JOIN includes "\n" includes)
string(REGEX REPLACE "#include <[^>]*>\n" "" body "${snippet}")
set(example ${WORK_DIR}/readme_example.cpp)
file(WRITE ${example} "${includes}\nvoid readme_example() {\n${body}}\n")
# Static libraries make their private dependencies the application's; shared ones must not.
set(unfindable Qt6)
set(pc_static "")
if(STATIC)
  set(pc_static --static)
else()
  list(APPEND unfindable nlohmann_json PNG Freetype Fontconfig)
endif()
list(TRANSFORM unfindable PREPEND -DCMAKE_DISABLE_FIND_PACKAGE_)
list(TRANSFORM unfindable APPEND =ON)
run(${CMAKE_COMMAND} -S ${app} -B ${WORK_DIR}/cmake-app -G Ninja -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_PREFIX_PATH=${prefix} -DREADME_EXAMPLE=${example} ${unfindable})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-app)
file(MAKE_DIRECTORY ${WORK_DIR}/run-cmake ${WORK_DIR}/run-pc)
execute_process(COMMAND ${WORK_DIR}/cmake-app/headless-app WORKING_DIRECTORY ${WORK_DIR}/run-cmake
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the CMake-built example failed (${rc}): ${out}${err}")
endif()

# pkg-config: the flags alone build the same program.
file(GLOB pc_dirs ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
string(REPLACE ";" ":" pc_path "${pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "${pc_path}")
run(pkg-config ${pc_static} --libs brelund-headless)
string(STRIP "${last_output}" libs)
if(NOT libs MATCHES "-lbrelund_headless" OR NOT libs MATCHES "-lbrelund_core")
  message(FATAL_ERROR "pkg-config --libs brelund-headless gave: ${libs}")
endif()
run(pkg-config --cflags brelund-headless)
string(STRIP "${last_output}" cflags)
separate_arguments(libs UNIX_COMMAND "${libs}")
separate_arguments(cflags UNIX_COMMAND "${cflags}")
run(${CXX} -std=c++20 ${cflags} ${app}/main.cpp ${example} -o ${WORK_DIR}/pc-app ${libs})
list(GET pc_dirs 0 pc_dir)
get_filename_component(libdir ${pc_dir} DIRECTORY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK_DIR}/pc-app
  WORKING_DIRECTORY ${WORK_DIR}/run-pc RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the pkg-config-built example failed (${rc}): ${out}${err}")
endif()
