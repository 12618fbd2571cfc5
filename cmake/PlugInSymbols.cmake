# Run by the build (cmake -P) for the plug-ins and the programs that load them.
#
#   -DMODE=needs -DPLUGIN=<file> -DOUT=<file>
#     writes the linker options that make a program hold every function of
#     our platform layer the plug-in calls (-Wl,--undefined=<symbol>), so that
#     the linker takes them from the static library even where the program
#     itself does not call them.
#   -DMODE=check -DPROGRAM=<file> -DPLUGINS=<file>|<file>...
#     fails the build, and removes the program, when it does not offer a
#     plug-in every platform function the plug-in calls: loading the plug-in
#     would fail at run time.
set(platform_symbol "^_Z(TV|TI|TS)?NK?8platform")

function(undefined_platform_symbols file out)
  execute_process(COMMAND ${NM} -D --undefined-only ${file} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot list the symbols of ${file}")
  endif()
  string(REGEX MATCHALL "U [A-Za-z0-9_]+" found "${text}")
  set(names)
  foreach(entry ${found})
    string(SUBSTRING "${entry}" 2 -1 name)
    if(name MATCHES "${platform_symbol}")
      list(APPEND names ${name})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "needs")
  undefined_platform_symbols(${PLUGIN} names)
  set(text "")
  foreach(name ${names})
    string(APPEND text "-Wl,--undefined=${name}\n")
  endforeach()
  file(WRITE ${OUT}.new "${text}")
  file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUT}.new)
elseif(MODE STREQUAL "check")
  execute_process(COMMAND ${NM} -D --defined-only ${PROGRAM} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot list the symbols of ${PROGRAM}")
  endif()
  set(missing)
  string(REPLACE "|" ";" plugins "${PLUGINS}")
  foreach(plugin ${plugins})
    undefined_platform_symbols(${plugin} names)
    foreach(name ${names})
      string(FIND "${text}" " ${name}\n" at)
      if(at EQUAL -1)
        list(APPEND missing "${name} (${plugin})")
      endif()
    endforeach()
  endforeach()
  if(missing)
    file(REMOVE ${PROGRAM})
    list(JOIN missing "\n  " list)
    message(FATAL_ERROR "${PROGRAM} does not offer what its plug-ins call:\n  ${list}")
  endif()
else()
  message(FATAL_ERROR "MODE is needs or check")
endif()
