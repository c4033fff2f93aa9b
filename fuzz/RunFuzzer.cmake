# Runs one fuzz target for a fixed time on a fresh copy of its seed corpus, so that runs never write
# into the source tree. Fails when the fuzzer exits non-zero (a crash, a failed check, a leak, a
# timeout or the memory limit); the input that did it is left in WORK/artifacts.
#   cmake -DFUZZER=<executable> -DSEEDS=<seed dir> -DWORK=<scratch dir> -DSECONDS=<n> -P RunFuzzer.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          "-artifact_prefix=${WORK}/artifacts/" "${WORK}/corpus"
  RESULT_VARIABLE Result)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} exited with ${Result}; the input that did it is in ${WORK}/artifacts")
endif()
