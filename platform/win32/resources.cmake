# A Windows program's resources. The dialog templates are not written twice:
# a small generator, built for the build machine with the same template
# tables that every backend uses (the program names their sources), turns the
# template data into a resource script, which the program's own resource
# script template includes as @TG_DIALOGS_RC@ beside its icon group
# (@TG_ICON_FILE@), manifest (@TG_MANIFEST_FILE@, with @TG_MANIFEST_ARCH@)
# and version information (@TG_VERSION_QUAD@, @TG_VERSION_COMMAS@).
#
#   tg_add_win32_resources(TARGET SCRIPT rc.in MANIFEST manifest.in ICON file.ico
#                          TABLES table-source...)

set(TG_WIN32_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

# The generator and the templates' script it writes, with a target that
# makes them.
function(tg_generate_dialogs_rc gen output)
  set(tables ${ARGN})
  file(MAKE_DIRECTORY ${gen})
  set(generator_sources
    ${TG_WIN32_RESOURCE_DIR}/generator/dialog_rc_generator.cpp
    ${PROJECT_SOURCE_DIR}/platform/resources.cpp
    ${tables})
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

  add_custom_command(OUTPUT ${output}
    COMMAND ${generator} ${output}
    DEPENDS ${generator}
    COMMENT "Generating the dialog templates' resource script"
    VERBATIM)

  add_custom_target(tg_dialogs_rc DEPENDS ${output})
endfunction()

function(tg_add_win32_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SCRIPT;MANIFEST;ICON" "TABLES")
  foreach(required SCRIPT MANIFEST ICON TABLES)
    if(NOT arg_${required})
      message(FATAL_ERROR "tg_add_win32_resources(${target}): ${required} is missing")
    endif()
  endforeach()
  set(gen ${CMAKE_BINARY_DIR}/win32-resources)
  set(TG_DIALOGS_RC ${gen}/dialogs.rc)
  # The templates' script is generated once, whichever programs use it (the
  # program and its test programs).
  if(NOT TARGET tg_dialogs_rc)
    tg_generate_dialogs_rc(${gen} ${TG_DIALOGS_RC} ${arg_TABLES})
  endif()
  add_dependencies(${target} tg_dialogs_rc)

  set(TG_ICON_FILE ${arg_ICON})
  set(TG_MANIFEST_FILE ${gen}/${target}.manifest)
  # The manifest names the program's own machine: a 64-bit program that asks
  # for x86 assemblies gets the 32-bit common controls where both are
  # installed (64-bit Windows, a Wine prefix of both kinds) and cannot start.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TG_MANIFEST_ARCH amd64)
  else()
    set(TG_MANIFEST_ARCH x86)
  endif()
  set(TG_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(TG_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  configure_file(${arg_MANIFEST} ${TG_MANIFEST_FILE} @ONLY)
  configure_file(${arg_SCRIPT} ${gen}/${target}.rc @ONLY)

  # windres leaves no dependency file: name what the script pulls in.
  set_source_files_properties(${gen}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${TG_DIALOGS_RC};${TG_ICON_FILE};${TG_MANIFEST_FILE}")
  target_sources(${target} PRIVATE ${gen}/${target}.rc)
endfunction()
