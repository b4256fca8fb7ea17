# Runs one quick stage of the benchmark; fails when it ends badly or prints no figure (a stage that was renamed
# away runs nothing and would otherwise pass).
execute_process(COMMAND ${BENCH} --files 1000 --runs 1 --stage refresh
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
message("${out}${err}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "renamer-bench ended with ${result}")
endif()
if(NOT out MATCHES "(^|\n)refresh_ms: [0-9]")
    message(FATAL_ERROR "renamer-bench printed no refresh_ms figure")
endif()
