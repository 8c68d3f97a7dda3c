# Fails when a program carries test harness: code of the scripted user or of
# the tests' MIDI device list among its symbols, or QtTest among the
# libraries it loads.
#   cmake -DPROGRAM=path -DNM=nm -DREADELF=readelf -P no_test_harness.cmake
foreach(variable PROGRAM NM READELF)
  if(NOT ${variable})
    message(FATAL_ERROR "no_test_harness.cmake needs -D${variable}=...")
  endif()
endforeach()

execute_process(COMMAND ${NM} --demangle --defined-only ${PROGRAM}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${PROGRAM}")
endif()
set(found)
foreach(pattern "userscript::" "qtUseScriptedUser" "setMidiOutDevicesForTesting" "QTest::")
  string(FIND "${symbols}" "${pattern}" at)
  if(NOT at EQUAL -1)
    list(APPEND found "symbol ${pattern}")
  endif()
endforeach()

execute_process(COMMAND ${READELF} --dynamic ${PROGRAM} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${READELF} could not read ${PROGRAM}")
endif()
if(dynamic MATCHES "libQt6Test")
  list(APPEND found "library libQt6Test")
endif()

if(found)
  list(JOIN found ", " found)
  message(NOTICE "carries test harness: ${found}")  # on one line, for the tests that read it
  message(FATAL_ERROR "${PROGRAM} carries test harness")
endif()
message(STATUS "${PROGRAM}: no test harness")
