# Fails when a file under ROOT/platform includes a header from a layer above
# the platform (ui/, settings/, app/, tools/, config/ or tests/), or climbs
# out of its folder with "../": the platform depends on nothing above it.
#   cmake -DROOT=source-tree -P platform_includes.cmake
if(NOT ROOT)
  message(FATAL_ERROR "platform_includes.cmake needs -DROOT=...")
endif()
get_filename_component(ROOT ${ROOT} ABSOLUTE)
if(NOT IS_DIRECTORY ${ROOT}/platform)
  message(FATAL_ERROR "${ROOT} has no platform folder")
endif()

set(above "(ui|settings|app|tools|config|tests)/")
file(GLOB_RECURSE files LIST_DIRECTORIES false ${ROOT}/platform/*)
include(${CMAKE_CURRENT_LIST_DIR}/include_scan.cmake)
tg_includes_matching(${ROOT} "${files}" "(${above}|[^\">]*\\.\\./)" found)

list(LENGTH files count)
if(found)
  foreach(entry ${found})
    message(NOTICE "includes from above the platform: ${entry}")
  endforeach()
  message(FATAL_ERROR "platform/ includes headers from above it")
endif()
message(STATUS "${count} files under platform/ include nothing from above it")
