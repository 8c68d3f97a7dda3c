# The Windows program's resources. The dialog templates are not written twice:
# a small generator, built for the build machine with the same template
# tables that every backend uses (the program names their sources), turns the
# template data into a resource script; tarrengard-setup.rc.in adds the icon
# group, the common-controls manifest and the version information around it.
#
#   tg_add_win32_resources(TARGET ICON_FILE TABLE_SOURCE...)

set(TG_WIN32_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(tg_add_win32_resources target icon_file)
  set(gen ${CMAKE_BINARY_DIR}/win32-resources)
  file(MAKE_DIRECTORY ${gen})
  set(generator_sources
    ${TG_WIN32_RESOURCE_DIR}/generator/dialog_rc_generator.cpp
    ${PROJECT_SOURCE_DIR}/platform/resources.cpp
    ${ARGN})
  # The headers beside each source, so an id changed there regenerates too.
  set(generator_headers)
  foreach(source ${generator_sources})
    get_filename_component(folder ${source} DIRECTORY)
    file(GLOB headers ${folder}/*.h)
    list(APPEND generator_headers ${headers})
  endforeach()
  file(GLOB platform_headers ${PROJECT_SOURCE_DIR}/platform/*.h)
  list(APPEND generator_headers ${platform_headers})

  if(CMAKE_CROSSCOMPILING)
    # The target compiler's programs cannot run here: compile the generator
    # with the build machine's own compiler (the toolchain file leaves
    # program look-ups on the host).
    find_program(TG_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
    set(generator ${gen}/dialog-rc-generator)
    add_custom_command(OUTPUT ${generator}
      COMMAND ${TG_HOST_CXX} -std=c++20 -O1 -I${PROJECT_SOURCE_DIR} -o ${generator} ${generator_sources}
      DEPENDS ${generator_sources} ${generator_headers}
      COMMENT "Building the dialog resource generator for the build machine"
      VERBATIM)
  else()
    add_executable(dialog-rc-generator ${generator_sources})
    target_include_directories(dialog-rc-generator PRIVATE ${PROJECT_SOURCE_DIR})
    set(generator dialog-rc-generator)
  endif()

  set(TG_DIALOGS_RC ${gen}/dialogs.rc)
  add_custom_command(OUTPUT ${TG_DIALOGS_RC}
    COMMAND ${generator} ${TG_DIALOGS_RC}
    DEPENDS ${generator}
    COMMENT "Generating the dialog templates' resource script"
    VERBATIM)

  set(TG_ICON_FILE ${icon_file})
  set(TG_MANIFEST_FILE ${gen}/tarrengard-setup.manifest)
  set(TG_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(TG_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  configure_file(${TG_WIN32_RESOURCE_DIR}/tarrengard-setup.manifest.in ${TG_MANIFEST_FILE} @ONLY)
  configure_file(${TG_WIN32_RESOURCE_DIR}/tarrengard-setup.rc.in ${gen}/tarrengard-setup.rc @ONLY)

  # windres leaves no dependency file: name what the script pulls in.
  set_source_files_properties(${gen}/tarrengard-setup.rc PROPERTIES
    OBJECT_DEPENDS "${TG_DIALOGS_RC};${TG_ICON_FILE};${TG_MANIFEST_FILE}")
  target_sources(${target} PRIVATE ${gen}/tarrengard-setup.rc)
endfunction()
