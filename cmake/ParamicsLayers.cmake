# The project's folders are layers, lowest first: host/, reader/, network/,
# traffic/, importer/ with plugin/, and app/. A layer includes only the
# layers below it, and the compiler holds it to that: no target has the
# project root on its include path. Each library's include folder is a
# folder of its own in the build tree (build/include/<target>) holding one
# link per source folder it exposes, named after that folder
# (build/include/paramicsnetwork/network -> network/), and a library links
# only the layers below it. `#include "traffic/..."` therefore finds its
# header only in a target that links the traffic library; anywhere else it
# does not compile.
#
# corvia_expose_folders(target scope folder...) makes target's include
# folder with a link to each folder (relative to the project root) and puts
# it on target's include path with the given scope (PUBLIC, or INTERFACE
# for a header-only target).
function(corvia_expose_folders target scope)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  foreach(folder ${ARGN})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
