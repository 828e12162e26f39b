# The logic's three static libraries, one per folder, for the Linux project
# (CMakeLists.txt) and the Windows one (win32/CMakeLists.txt): the one place
# that lists their sources.
#
#   quillon_add_logic(<root> <platform>...)
#
# Every <layer>/*.cpp of core/, intake/ and names/ belongs to its layer's
# library, except platform files, named *_<platform>.cpp (icu, posix, win32)
# or *_qt.cpp: those are taken only for the platforms named here, and the Qt
# drop-target files never (they belong to the shell).
#
# The libraries link downwards: core <- intake <- names. The handlers are
# members of one class, CQuillonDlg, spread over the three folders; two of
# them, OnExecute in core and RefreshList in intake, end by validating the
# new names, which names/ defines. Those two calls are the logic's only
# edges against the layers; they are link edges, never includes (the
# LayerIncludes test keeps it so), and the back edge below lets the linker
# find them whatever a program uses first.
function(quillon_add_logic root)
  set(platforms ${ARGN})
  foreach(layer core intake names)
    file(GLOB candidates CONFIGURE_DEPENDS ${root}/${layer}/*.cpp)
    set(sources)
    foreach(source IN LISTS candidates)
      get_filename_component(stem ${source} NAME_WE)
      if(stem MATCHES "_(icu|posix|win32|qt)$")
        if(NOT CMAKE_MATCH_1 IN_LIST platforms)
          continue()
        endif()
      endif()
      list(APPEND sources ${source})
    endforeach()
    add_library(quillon_${layer} STATIC ${sources})
    target_include_directories(quillon_${layer} PUBLIC ${root})
    target_compile_options(quillon_${layer} PRIVATE ${QUILLON_WARNINGS})
  endforeach()
  target_link_libraries(quillon_intake PUBLIC quillon_core)
  target_link_libraries(quillon_names PUBLIC quillon_intake)
  target_link_libraries(quillon_core INTERFACE quillon_names)

  # What the rest of the project links: all of the logic.
  add_library(quillon_logic INTERFACE)
  target_link_libraries(quillon_logic INTERFACE quillon_names)
endfunction()
