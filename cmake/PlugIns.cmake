# Plug-in libraries of ours: MODULE libraries built next to the executables
# (lib<name>.so in the bin folder), which the program loads with QLibrary the
# first time it needs them. They link only the large libraries they hold and
# reach the program's own platform layer in the executable that loads them.
set(LUMIVEX_PLUGINS "" CACHE INTERNAL "")

function(lumivex_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_include_directories(${name} PRIVATE ${LUMIVEX_INCLUDE_ROOTS}/platform)
  target_link_libraries(${name} PRIVATE Qt6::Widgets ${P_LINKS})
  set(LUMIVEX_PLUGINS ${LUMIVEX_PLUGINS} ${name} CACHE INTERNAL "")
endfunction()

# An executable that may load the plug-ins: they are built with it, and it
# offers them the platform layer's functions (only those: the dynamic list).
function(lumivex_uses_plugins target)
  add_dependencies(${target} ${LUMIVEX_PLUGINS})
  target_link_options(${target} PRIVATE -Wl,--dynamic-list=${CMAKE_SOURCE_DIR}/cmake/plugin-exports.list)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/plugin-exports.list)
endfunction()
