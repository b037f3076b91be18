# The importer's folders are layers: reader/ (lexer, records, readers) at
# the bottom, network/ and traffic/ (builders) on it, importer/ and plugin/
# on top. paramics_allow_includes(target folder...) fails the configure step
# when a source of the target includes a project header from any folder
# other than its own and the ones listed, so a wrong include cannot slip in
# just because the project root is on the include path.
set(PARAMICS_LAYER_FOLDERS reader network traffic importer plugin app)

function(paramics_allow_includes target)
  get_target_property(sources ${target} SOURCES)
  get_filename_component(own ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(allowed ${own} ${ARGN})
  foreach(source ${sources})
    file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" folder "${line}")
      if(folder IN_LIST PARAMICS_LAYER_FOLDERS AND NOT folder IN_LIST allowed)
        message(FATAL_ERROR "${own}/${source} includes ${folder}/, which the ${own}/ layer may not use")
      endif()
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source})
  endforeach()
endfunction()
