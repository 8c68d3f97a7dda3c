# Fails when a file of the product (config/, settings/, ui/, platform/, app/
# or tools/ under ROOT) includes anything from tests/, however it gets there
# ("tests/...", "../tests/..."): the programs must build without the tests.
#   cmake -DROOT=source-tree -P product_includes.cmake
if(NOT ROOT)
  message(FATAL_ERROR "product_includes.cmake needs -DROOT=...")
endif()
get_filename_component(ROOT ${ROOT} ABSOLUTE)

set(files)
foreach(folder config settings ui platform app tools)
  file(GLOB_RECURSE found LIST_DIRECTORIES false ${ROOT}/${folder}/*)
  list(APPEND files ${found})
endforeach()
if(NOT files)
  message(FATAL_ERROR "${ROOT} has none of the product's folders")
endif()

set(found)
foreach(file ${files})
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    if(line MATCHES "include[ \t]*[<\"](\\.\\.?/)*tests/")
      file(RELATIVE_PATH name ${ROOT} ${file})
      string(STRIP "${line}" line)
      list(APPEND found "${name}: ${line}")
    endif()
  endforeach()
endforeach()

list(LENGTH files count)
if(found)
  foreach(entry ${found})
    message(NOTICE "includes from tests/: ${entry}")
  endforeach()
  message(FATAL_ERROR "the product includes files from tests/")
endif()
message(STATUS "${count} files of the product include nothing from tests/")
