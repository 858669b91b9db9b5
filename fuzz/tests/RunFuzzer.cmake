file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/tmp)
file(GLOB seeds ${SEEDS}/*)
if(seeds)
    file(COPY ${seeds} DESTINATION ${WORK}/corpus)
endif()
execute_process(
    # Fuzzers that need files make them under TMPDIR: here, inside the build tree.
    COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${WORK}/tmp
            ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=10
            -artifact_prefix=${WORK}/ ${WORK}/corpus
    RESULT_VARIABLE result
    OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} found a fault (exit ${result}):\n${out}")
endif()
string(REGEX MATCH "Done [0-9]+ runs[^\n]*" done "${out}")
message(STATUS "${done}")
