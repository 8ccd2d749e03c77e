# Runs one fuzz target briefly: first over each seed file, then fuzzing for
# SECONDS seconds from a scratch copy of the seeds (the seed folder in the
# source tree is never written).
#   cmake -DFUZZER=path -DSEEDS=dir -DWORK=dir -DSECONDS=n -P RunSmoke.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB seeds ${SEEDS}/*)
if(NOT seeds)
    message(FATAL_ERROR "no seed files in ${SEEDS}")
endif()
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
                        -print_final_stats=1 -artifact_prefix=${WORK}/ ${WORK}/corpus
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); see the crash input under ${WORK}")
endif()
