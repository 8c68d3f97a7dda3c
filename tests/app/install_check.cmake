# Installs the build into a scratch folder (DESTDIR) and checks that the
# desktop program arrives with its menu entry: the main entry finds the game
# folder, a second action always asks for it, and the icon is there.
#   cmake -DBUILD=<build folder> -DSCRATCH=<scratch folder> -P install_check.cmake
file(REMOVE_RECURSE ${SCRATCH})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${SCRATCH} ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(file bin/tarrengard-setup share/applications/tarrengard-setup.desktop
             share/icons/hicolor/48x48/apps/tarrengard-setup.png share/icons/hicolor/scalable/apps/tarrengard-setup.svg)
  if(NOT EXISTS ${SCRATCH}/usr/${file})
    message(FATAL_ERROR "not installed: /usr/${file}")
  endif()
endforeach()

file(READ ${SCRATCH}/usr/share/applications/tarrengard-setup.desktop entry)
# Lines the entry must hold, in this order: the main entry's command, its
# action, and that action's group with a name and a command that always asks.
set(expected
  "\nExec=tarrengard-setup --choose-folder\n"
  "\nActions=choose-folder;\n"
  "\n[Desktop Action choose-folder]\n"
  "\nName=Choose Game Folder"
  "\nExec=tarrengard-setup --choose-folder --ask\n")
set(rest "${entry}")
foreach(line ${expected})
  string(FIND "${rest}" "${line}" at)
  if(at EQUAL -1)
    string(STRIP "${line}" shown)
    message(FATAL_ERROR "the installed menu entry lacks, or has out of order: ${shown}")
  endif()
  string(SUBSTRING "${rest}" ${at} -1 rest)
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "installed with its menu entry and the action that asks for the game folder")
