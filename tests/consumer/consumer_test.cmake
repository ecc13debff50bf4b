# Installs the build into a fresh prefix and builds the README's headless example from the
# README's own text, as a new user would: hola.cpp with its CMakeLists.txt (nothing added: no C++
# standard, no search path but the prefix), and with the README's pkg-config command line. Both
# programs run without LD_LIBRARY_PATH and must write a PNG. With shared libraries, Qt,
# nlohmann-json, PNG and FreeType are made unfindable: the Headless component must not ask for them.
# An unknown component must be named in the failure.
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR STATIC)
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
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

# One fenced block of the README: the first of `lang` whose text starts with `start`.
function(readme_block var lang start)
  string(REGEX MATCH "```${lang}\n(${start}[^`]*)```" block "${readme}")
  if(NOT block)
    message(FATAL_ERROR "consumer_test: no ${lang} block starting with \"${start}\" in README.md")
  endif()
  set(${var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

function(expect_png dir what)
  file(READ ${dir}/hola.png head LIMIT 8 HEX)
  if(NOT head STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "the ${what} example wrote no PNG (${head})")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
# The headless headers must stand on their own: without the private headers that the Qt widget's
# header still needs, the example builds all the same.
foreach(private control render shape input host)
  file(REMOVE_RECURSE ${prefix}/include/${private})
endforeach()

file(READ ${SOURCE_DIR}/README.md readme)
readme_block(source cpp "// hola.cpp")
readme_block(lists cmake "cmake_minimum_required")
readme_block(command sh "c\\+\\+ -o hola")
if(NOT lists MATCHES "Brelund::Headless")
  message(FATAL_ERROR "consumer_test: the README's CMakeLists.txt does not use Brelund::Headless")
endif()

# Static libraries make their private dependencies the application's; shared ones must not.
set(unfindable Qt6)
if(NOT STATIC)
  list(APPEND unfindable nlohmann_json PNG Freetype Fontconfig)
endif()
list(TRANSFORM unfindable PREPEND -DCMAKE_DISABLE_FIND_PACKAGE_)
list(TRANSFORM unfindable APPEND =ON)

# Through CMake.
set(app ${WORK_DIR}/cmake-app)
file(WRITE ${app}/hola.cpp "${source}")
file(WRITE ${app}/CMakeLists.txt "${lists}")
run(${CMAKE_COMMAND} -S ${app} -B ${app}/build -G Ninja -DCMAKE_PREFIX_PATH=${prefix} ${unfindable})
run(${CMAKE_COMMAND} --build ${app}/build)
run(${CMAKE_COMMAND} -E chdir ${app} ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${app}/build/hola)
expect_png(${app} CMake-built)

# Through pkg-config: the README's command line, run by the shell as written.
set(app ${WORK_DIR}/pc-app)
file(WRITE ${app}/hola.cpp "${source}")
file(GLOB pc_dirs ${prefix}/lib/*/pkgconfig ${prefix}/lib*/pkgconfig)
string(REPLACE ";" ":" pc_path "${pc_dirs}")
run(${CMAKE_COMMAND} -E chdir ${app} ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_path}
  sh -c "${command}")
run(${CMAKE_COMMAND} -E chdir ${app} ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${app}/hola)
expect_png(${app} pkg-config-built)

# An unknown component is named in the failure, with the names there are.
set(app ${WORK_DIR}/bogus-app)
file(WRITE ${app}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(bogus LANGUAGES CXX)
find_package(Brelund REQUIRED COMPONENTS Headless Bogus)\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${app} -B ${app}/build -G Ninja
  -DCMAKE_PREFIX_PATH=${prefix} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REGEX REPLACE "[ \n]+" " " err "${err}")
if(rc EQUAL 0 OR NOT err MATCHES "unknown component Bogus: Brelund has the components Core, Headless and Qt")
  message(FATAL_ERROR "find_package with the component Bogus gave (${rc}): ${out}${err}")
endif()
message(STATUS "the README's example built through CMake and pkg-config, and ran")
