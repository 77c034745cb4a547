# The built kavex-dump's exit statuses and its verdicts on stderr, as a script sees them.
#   cmake -DDUMP=... -DWORK=... -P check_dump_statuses.cmake
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/notes.txt "These are notes, not a flash image of any phone.\n")

# Each case: the exit status, a text stderr must hold ("-" for none), then the arguments.
function(expect status said)
  execute_process(COMMAND ${DUMP} ${ARGN} RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT got EQUAL status)
    message(FATAL_ERROR "kavex-dump ${ARGN}: status ${got}, not ${status}\n${err}")
  endif()
  if(NOT said STREQUAL "-")
    string(FIND "${err}" "${said}" at)
    if(at LESS 0)
      message(FATAL_ERROR "kavex-dump ${ARGN}: stderr lacks \"${said}\":\n${err}")
    endif()
  endif()
endfunction()

expect(2 "kavex-dump: ${WORK}/notes.txt: no MCU, PPM or EEPROM area was found\n" ${WORK}/notes.txt)
expect(2 "kavex-dump: ${WORK}/notes.txt: no MCU, PPM or EEPROM area was found\n" --json ${WORK}/notes.txt)
expect(2 "-" --export-texts ${WORK}/texts ${WORK}/notes.txt)
if(EXISTS ${WORK}/texts)
  message(FATAL_ERROR "an export of a file without an area made ${WORK}/texts")
endif()
expect(1 "kavex-dump: ${WORK}: Is a directory\n" ${WORK})
expect(64 "Usage: kavex-dump" --help ${WORK}/notes.txt)
expect(64 "Usage: kavex-dump" --version ${WORK}/notes.txt)
expect(64 "Usage: kavex-dump" --extract 2..1 --out - ${WORK}/notes.txt)

# --check: one line per file on stdout, exactly; nothing on stderr when it is no terminal.
function(expect_check status lines)
  execute_process(COMMAND ${DUMP} --check ${ARGN} RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT got EQUAL status OR NOT out STREQUAL "${lines}" OR NOT err STREQUAL "")
    message(FATAL_ERROR "kavex-dump --check ${ARGN}: status ${got}, not ${status}\n${out}not:\n${lines}${err}")
  endif()
endfunction()
expect_check(0 "${SAMPLES}/kavex-sample.fls: ok\n${SAMPLES}/kavex-sample.wt: ok\n" ${SAMPLES}/kavex-sample.fls ${SAMPLES}/kavex-sample.wt)
expect_check(7 "${SAMPLES}/kavex-sample.fls: ok\n${WORK}/notes.txt: no MCU, PPM or EEPROM area was found\n${WORK}: Is a directory\n"
             ${SAMPLES}/kavex-sample.fls ${WORK}/notes.txt ${WORK})
expect(64 "Usage: kavex-dump" --check)
