# tg_includes_matching(ROOT FILES REGEX OUT): "FILE: LINE" for each #include
# line of FILES whose text after "#include" matches REGEX, FILE relative to
# ROOT. Shared by the include checks.
function(tg_includes_matching root files regex out)
  set(found)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
      if(line MATCHES "include[ \t]*[<\"]${regex}")
        file(RELATIVE_PATH name ${root} ${file})
        string(STRIP "${line}" line)
        list(APPEND found "${name}: ${line}")
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()
