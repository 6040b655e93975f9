# Build step: IN (scdoc source) -> OUT (roff, gzip -9n as Debian ships manual pages).
execute_process(COMMAND "${SCDOC}" INPUT_FILE "${IN}" COMMAND gzip -9n OUTPUT_FILE "${OUT}"
                RESULTS_VARIABLE results)
if(NOT results STREQUAL "0;0")
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "scdoc could not translate ${IN} (${results})")
endif()
