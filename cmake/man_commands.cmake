# Writes help2man's include file for boton: a COMMANDS section with each command's own help text
# (`boton help COMMAND`), so that the manual page says what `--help` says, command by command.
# -DBOTON=... -DOUTPUT=... -DCOMMANDS=trace,render,...
string(REPLACE "," ";" COMMANDS "${COMMANDS}")
set(text "[COMMANDS]\n")
foreach(command IN LISTS COMMANDS)
  execute_process(COMMAND ${BOTON} help ${command} OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "boton help ${command} failed (${rc})")
  endif()
  # roff: a backslash is written \e, a line may not start with a dot or a quote.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" help "${help}")
  string(APPEND text ".SS \"boton ${command}\"\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
