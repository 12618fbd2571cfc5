# Plug-in libraries of ours: MODULE libraries built next to the executables
# (lib<name>.so in the bin folder), which the program loads with QLibrary the
# first time it needs them. They link only the large libraries they hold and
# reach the program's own platform layer in the executable that loads them:
# each such executable is linked with every platform function its plug-ins
# call, exports them, and is checked for them after it is linked, so that a
# missing one fails the build instead of the plug-in's loading.
set(LUMIVEX_PLUGINS "" CACHE INTERNAL "")
set(LUMIVEX_PLUGIN_NEEDS ${CMAKE_BINARY_DIR}/plugins)

function(lumivex_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_include_directories(${name} PRIVATE ${LUMIVEX_INCLUDE_ROOTS}/platform)
  target_link_libraries(${name} PRIVATE Qt6::Widgets ${P_LINKS})
  # What it calls of the platform layer, as linker options for the programs.
  set(needs ${LUMIVEX_PLUGIN_NEEDS}/${name}.needs)
  if(NOT EXISTS ${needs})
    file(WRITE ${needs} "")
  endif()
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMODE=needs -DNM=${CMAKE_NM} -DPLUGIN=$<TARGET_FILE:${name}> -DOUT=${needs}
            -P ${CMAKE_SOURCE_DIR}/cmake/PlugInSymbols.cmake
    VERBATIM)
  set(LUMIVEX_PLUGINS ${LUMIVEX_PLUGINS} ${name} CACHE INTERNAL "")
endfunction()

# An executable that may load the plug-ins: they are built before it, it
# holds and offers them the platform functions they call (only the platform
# layer's: the dynamic list), and it is checked for them once linked.
function(lumivex_uses_plugins target)
  add_dependencies(${target} ${LUMIVEX_PLUGINS})
  target_link_options(${target} PRIVATE -Wl,--dynamic-list=${CMAKE_SOURCE_DIR}/cmake/plugin-exports.list)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/plugin-exports.list)
  set(files)
  foreach(plugin ${LUMIVEX_PLUGINS})
    target_link_options(${target} PRIVATE @${LUMIVEX_PLUGIN_NEEDS}/${plugin}.needs)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${LUMIVEX_PLUGIN_NEEDS}/${plugin}.needs)
    list(APPEND files $<TARGET_FILE:${plugin}>)
  endforeach()
  list(JOIN files "|" files)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMODE=check -DNM=${CMAKE_NM} -DPROGRAM=$<TARGET_FILE:${target}>
            "-DPLUGINS=${files}" -P ${CMAKE_SOURCE_DIR}/cmake/PlugInSymbols.cmake
    VERBATIM)
endfunction()
