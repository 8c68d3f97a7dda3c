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

include(${CMAKE_CURRENT_LIST_DIR}/include_scan.cmake)
tg_includes_matching(${ROOT} "${files}" "(\\.\\.?/)*tests/" found)

list(LENGTH files count)
if(found)
  foreach(entry ${found})
    message(NOTICE "includes from tests/: ${entry}")
  endforeach()
  message(FATAL_ERROR "the product includes files from tests/")
endif()
message(STATUS "${count} files of the product include nothing from tests/")
