# A file's bytes as a constant in a generated header, for tests that run
# where the source tree is out of reach (the Windows test programs run under
# Wine, which sees other paths):
#   tg_embed_file(target Name path)
# gives `target` the header "embedded/Name.h" with
#   inline constexpr std::string_view Name;   // the file's bytes
function(tg_embed_file target name path)
  file(READ ${path} hex HEX)
  string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
  # Lines of 32 bytes (4 characters each), as adjacent literals.
  string(LENGTH "${escaped}" length)
  set(literal "")
  foreach(at RANGE 0 ${length} 128)
    string(SUBSTRING "${escaped}" ${at} 128 line)
    if(line)
      string(APPEND literal "\n    \"${line}\"")
    endif()
  endforeach()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/embedded)
  file(MAKE_DIRECTORY ${folder})
  file(CONFIGURE OUTPUT ${folder}/${name}.h CONTENT
"// Generated from ${path}: its bytes, as they are on disk.
#pragma once

#include <string_view>

inline constexpr char ${name}Bytes[] =${literal};
inline constexpr std::string_view ${name}{${name}Bytes, sizeof ${name}Bytes - 1};
" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
