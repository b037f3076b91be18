# The programs (corvia and the benchmarks) allocate through mimalloc
# (Debian: libmimalloc-dev) in place of the C library's malloc. A model is
# hundreds of thousands of small heap blocks (names, lane and point lists)
# made in one go and freed in one go; the C library's allocator files each
# freed block in its bins and merges it with its neighbours, which made
# deleting a regional model grow faster than the model (2.3 to 2.6 times
# the time for twice the network) and cost three times what it costs with
# mimalloc; the import as a whole also ran 3 to 4 % faster with it, at the
# same peak memory (bench/README.md, 2026-12-06).
#
# Each program also puts its heap on large pages
# (app/allocation/largepageheap.cpp): a regional import took a fifth of its
# CPU time in page faults on the development virtual machine.
#
# Linking the shared library into the program is enough on Linux: it comes
# before the C library in the program's list of libraries, so every
# library the program loads, Qt and the plug-in included, allocates
# through it. The sanitizer build keeps the C library's allocator, which
# the sanitizers replace with their own. Without mimalloc the programs
# build and run on the C library's allocator.
if(NOT CORVIA_SANITIZE)
  find_package(mimalloc CONFIG QUIET)
endif()
if(TARGET mimalloc)
  message(STATUS "Programs allocate through mimalloc ${mimalloc_VERSION}")
else()
  message(STATUS "Programs allocate through the C library's malloc")
endif()

function(corvia_use_fast_allocator target)
  if(TARGET mimalloc)
    # The program calls nothing of mimalloc by name: the library must be
    # kept even by a linker that drops unreferenced libraries.
    target_link_options(${target} PRIVATE "LINKER:--no-as-needed")
    target_link_libraries(${target} PRIVATE mimalloc)
    # mimalloc's operator new aborts where memory runs out; the program's
    # own throws std::bad_alloc instead, for the commands to report.
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/app/allocation/throwingnew.cpp)
    # Its heap on large pages (see the file).
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/app/allocation/largepageheap.cpp)
  endif()
endfunction()
