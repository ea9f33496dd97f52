# Writes a program's manual page, which the program prints from its own --help text.
# cmake -DPROGRAM=path -DOUTPUT=file -P write_manual.cmake
execute_process(COMMAND ${PROGRAM} --help-man OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "${PROGRAM} --help-man failed: ${status}")
endif()
