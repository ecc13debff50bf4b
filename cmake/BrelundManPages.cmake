# Manual pages, made by help2man from each program's own --help and --version, so that the page
# and the help never disagree. Without help2man the programs are installed without them.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(NOT HELP2MAN OR NOT GZIP)
  message(STATUS "help2man or gzip not found: no manual pages")
  return()
endif()

function(brelund_man_page target summary component)
  set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
  set(include ${PROJECT_BINARY_DIR}/man/${target}.h2m)
  # Each command's own help, for a program with commands.
  set(commands_step)
  set(include_arg)
  if(target STREQUAL "boton")
    set(commands_step COMMAND ${CMAKE_COMMAND} -DBOTON=$<TARGET_FILE:boton> -DOUTPUT=${include}
      -DCOMMANDS=trace,render,resave,check,gallery
      -P ${PROJECT_SOURCE_DIR}/cmake/man_commands.cmake)
    set(include_arg --include=${include})
  endif()
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    ${commands_step}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
      ${HELP2MAN} --no-info --no-discard-stderr --name=${summary} --section=1
      ${include_arg} --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/man_commands.cmake VERBATIM)
  add_custom_target(${target}-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

brelund_man_page(boton "draw, check and drive Boton push buttons from the command line" tools)
if(TARGET boton-qt)
  brelund_man_page(boton-qt "show a Brelund form file in a window" qttools)
endif()
