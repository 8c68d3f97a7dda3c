# The Windows program, included from app/CMakeLists.txt on Windows (native or
# cross-built with cmake/toolchains/mingw-i686.cmake): tarrengard-setup.exe, a
# windowed program on the real user32, comctl32, winmm and kernel32, with the
# dialog templates, icon, manifest and version information as resources, and
# the operations of our own beside the real API (tgplatform_win32).
include(${PROJECT_SOURCE_DIR}/platform/win32/resources.cmake)

set(TG_WIN32_ICON ${CMAKE_CURRENT_SOURCE_DIR}/icons/tarrengard.ico CACHE FILEPATH
  "Icon file of the Windows program (icon group 1000)")
if(NOT EXISTS ${TG_WIN32_ICON})
  message(FATAL_ERROR "The Windows program needs its icon group: ${TG_WIN32_ICON} is missing")
endif()

# WIN32: the GUI subsystem (-mwindows), so no console window opens.
add_executable(tarrengard-setup WIN32 main_win32.cpp)
target_link_libraries(tarrengard-setup PRIVATE tgapp tgui tgplatform_win32 comctl32 winmm user32 kernel32)
tg_add_win32_resources(tarrengard-setup
  SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/tarrengard-setup.rc.in
  MANIFEST ${CMAKE_CURRENT_SOURCE_DIR}/tarrengard-setup.manifest.in
  ICON ${TG_WIN32_ICON}
  TABLES ${PROJECT_SOURCE_DIR}/ui/resources.cpp)

# Helpers of the Wine test stage (scripts/test.d/50-windows): the stand-in
# game, the resource check and the window probe. The top level adds no tests
# when cross-building, so they are added here, with the program they test.
option(TG_BUILD_WIN32_TEST_HELPERS "Build the Wine tests' stand-in game, resource check and window probe" ON)
if(TG_BUILD_WIN32_TEST_HELPERS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/win32 ${CMAKE_BINARY_DIR}/tests/win32)
endif()
