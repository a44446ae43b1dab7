# tarvexctl.exe under the emulator, as a user on Windows runs it:
#   cmake -DEMULATOR=wine64 -DTARVEXCTL=.../tarvexctl.exe -P windows_test.cmake
# In process, then over UDP when TARVEX_TEST_UDP_LASER names a simulated laser (ADDRESS:PORT),
# which the program reaches from 127.0.0.1 on the laser's port number.

# Runs tarvexctl with ARGN; sets `out` (without the console's carriage returns), `err` and
# `status` in the caller.
function(run_tarvexctl)
  execute_process(COMMAND ${EMULATOR} ${TARVEXCTL} ${ARGN} OUTPUT_VARIABLE output
                  ERROR_VARIABLE error RESULT_VARIABLE result TIMEOUT 60)
  string(REPLACE "\r" "" output "${output}")
  string(REPLACE "\r" "" error "${error}")
  set(out "${output}" PARENT_SCOPE)
  set(err "${error}" PARENT_SCOPE)
  set(status "${result}" PARENT_SCOPE)
endfunction()

function(expect what wanted_status pattern)
  if(NOT status STREQUAL wanted_status OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: exit status ${status} (${wanted_status} expected), "
                        "'${pattern}' expected in\n${out}${err}")
  endif()
endfunction()

run_tarvexctl(--sim --json info)
expect("info in process" 0 "\"serial_number\": \"TVX0042\"")
run_tarvexctl(--sim tune 1650 cm-1)
expect("tune unarmed in process" 4 "the laser is not armed")

if(NOT DEFINED ENV{TARVEX_TEST_UDP_LASER})
  message(STATUS "TARVEX_TEST_UDP_LASER names no simulated laser: over UDP not tried")
  return()
endif()
set(udp --udp $ENV{TARVEX_TEST_UDP_LASER} --bind 127.0.0.1)
run_tarvexctl(${udp} --json info)
expect("info over UDP" 0 "\"kind\": \"udp\"")
run_tarvexctl(${udp} status)
expect("status over UDP" 0 "not armed, emission off")
run_tarvexctl(${udp} --json tune 3000 cm-1)
expect("tune out of range over UDP" 4 "outside the laser's tuning range")
