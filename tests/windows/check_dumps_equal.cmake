# Dumps every fuzz seed, corpus input and regression input with the native build's batch
# driver and with the Windows one under Wine, and compares the two trees byte for byte.
# -DNATIVE=native build  -DBATCH=kavex-dump-batch.exe  -DWINE=wine-run.sh  -DSOURCE=sources
# -DWORK=scratch folder. The Windows side is given its folders as Z:/... (Wine's Z: is /).
foreach(tool fuzz/kavex-fuzz-seeds tests/windows/kavex-dump-batch)
  if(NOT EXISTS ${NATIVE}/${tool})
    message(FATAL_ERROR "${NATIVE}/${tool} is missing: build the native tree first (make build)")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${NATIVE}/fuzz/kavex-fuzz-seeds ${WORK}/seeds OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kavex-fuzz-seeds failed: ${status}")
endif()
set(inputs seeds ${WORK}/seeds corpus ${SOURCE}/fuzz/corpus regressions ${SOURCE}/tests/fuzz-regressions)
set(win_inputs seeds Z:${WORK}/seeds corpus Z:${SOURCE}/fuzz/corpus regressions Z:${SOURCE}/tests/fuzz-regressions)

# Both at once, one on each core: execute_process runs its COMMANDs as a pipeline, all
# together (the native driver's one line of stdout goes to the other's stdin, unread).
execute_process(COMMAND ${NATIVE}/tests/windows/kavex-dump-batch ${WORK}/native ${inputs}
                COMMAND ${WINE} ${BATCH} Z:${WORK}/windows ${win_inputs}
                RESULTS_VARIABLE statuses ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT statuses STREQUAL "0;0")
  message(FATAL_ERROR "the batch drivers failed (native;Windows: ${statuses}): ${errors}")
endif()
file(GLOB_RECURSE native_dumps RELATIVE ${WORK}/native ${WORK}/native/*)
file(GLOB_RECURSE windows_dumps RELATIVE ${WORK}/windows ${WORK}/windows/*)
list(LENGTH native_dumps native_count)
list(LENGTH windows_dumps windows_count)
if(native_count LESS 100 OR NOT native_count EQUAL windows_count)
  message(FATAL_ERROR "the builds dumped different sets: ${native_count} native dumps, ${windows_count} Windows dumps")
endif()
execute_process(COMMAND diff -r -q ${WORK}/native ${WORK}/windows RESULT_VARIABLE status OUTPUT_VARIABLE differ)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Windows dumps differ from the native ones:\n${differ}")
endif()
message(STATUS "identical: ${native_count} dumps")
file(REMOVE_RECURSE ${WORK})
