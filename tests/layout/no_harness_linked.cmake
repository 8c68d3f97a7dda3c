# Fails when a program's build links test code. Reads the Ninja build file
# (what the linker is given, rather than what the program turned out to hold)
# and follows the program's link step to every library and object built here,
# each object to its source, and so on down. Test code is whatever is built
# under tests/ of the build tree (the harness, tests/harness/, and the tests'
# helpers), whatever is compiled from a source under tests/, and GoogleTest
# or QtTest.
#   cmake -DBUILD_DIR=dir -DSOURCE_DIR=dir -DPROGRAM=path -P no_harness_linked.cmake
cmake_policy(VERSION 3.25)
foreach(variable BUILD_DIR SOURCE_DIR PROGRAM)
  if(NOT ${variable})
    message(FATAL_ERROR "no_harness_linked.cmake needs -D${variable}=...")
  endif()
endforeach()
if(NOT EXISTS ${BUILD_DIR}/build.ninja)
  message(FATAL_ERROR "${BUILD_DIR} has no build.ninja: this check reads the Ninja generator's build file")
endif()

# Every build statement: "build OUTPUTS: RULE INPUTS | IMPLICIT || ORDER-ONLY".
# Order-only inputs are only built first, never linked, so they are left out.
# Paths in the build tree are relative; some carry ${cmake_ninja_workdir}.
file(STRINGS ${BUILD_DIR}/build.ninja statements REGEX "^build ")
foreach(statement IN LISTS statements)
  string(REPLACE "\${cmake_ninja_workdir}" "" statement "${statement}")
  if(NOT statement MATCHES "^build ([^:]*): [^ ]+(.*)$")
    continue()
  endif()
  set(outputs "${CMAKE_MATCH_1}")
  set(inputs "${CMAKE_MATCH_2}")
  string(FIND "${inputs}" " || " order_only)
  if(NOT order_only EQUAL -1)
    string(SUBSTRING "${inputs}" 0 ${order_only} inputs)
  endif()
  string(REPLACE " | " " " inputs "${inputs}")
  string(REPLACE " | " " " outputs "${outputs}")
  separate_arguments(inputs UNIX_COMMAND "${inputs}")
  separate_arguments(outputs UNIX_COMMAND "${outputs}")
  foreach(output IN LISTS outputs)
    string(MAKE_C_IDENTIFIER "${output}" key)
    set(inputs_of_${key} ${inputs})
  endforeach()
endforeach()

file(RELATIVE_PATH program ${BUILD_DIR} ${PROGRAM})
string(MAKE_C_IDENTIFIER "${program}" key)
if(NOT DEFINED inputs_of_${key})
  message(FATAL_ERROR "build.ninja does not build ${program}")
endif()

# The program itself may sit anywhere (a test program's does); what it is
# linked from may not.
set(pending ${inputs_of_${key}})
set(seen ${program})
set(found)
while(pending)
  list(POP_FRONT pending path)
  if(path IN_LIST seen)
    continue()
  endif()
  list(APPEND seen ${path})
  if(IS_ABSOLUTE "${path}")
    string(FIND "${path}" "${SOURCE_DIR}/tests/" in_tests)
    set(test_code FALSE)
    if(in_tests EQUAL 0)
      set(test_code TRUE)
    endif()
  elseif(path MATCHES "(^|/)tests/")
    set(test_code TRUE)
  else()
    set(test_code FALSE)
  endif()
  get_filename_component(name "${path}" NAME)
  if(test_code OR name MATCHES "^lib(Qt6Test|gtest|gmock)")
    list(APPEND found "${path}")
    continue()  # once is enough: what it is built from is test code as well
  endif()
  string(MAKE_C_IDENTIFIER "${path}" key)
  list(APPEND pending ${inputs_of_${key}})
endwhile()

if(found)
  list(SORT found)
  foreach(path ${found})
    message(NOTICE "links test code: ${path}")
  endforeach()
  message(FATAL_ERROR "${program} links test code")
endif()
list(LENGTH seen count)
message(STATUS "${program}: none of the ${count} files its link step depends on is test code")
