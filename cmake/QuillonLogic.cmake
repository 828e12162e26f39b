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

# The logic's tests for one platform, into <out_var>: every tests/*_test.cpp
# that runs on the logic and its fake ports, except platform files of other
# platforms (*_<platform>_test.cpp, as above). On Windows, the tests below are
# left out; each holds a fact of Linux or uses the POSIX port.
set(QUILLON_TESTS_NOT_ON_WINDOWS
  arguments_test.cpp         # the POSIX program's command line
  case_insensitive_test.cpp  # exFAT mounted through FUSE, with the POSIX port
  drop_intake_test.cpp       # the POSIX port on real directories, '/' paths
  generation_test.cpp        # the POSIX port on real directories
  hostile_names_test.cpp     # byte names no UTF-16 name can hold, on the POSIX port
  name_codec_test.cpp        # names as UTF-8 bytes, the POSIX port's form
  name_list_test.cpp         # the POSIX port on real directories
  plan_check_test.cpp        # the POSIX port on real directories
  posix_mount_test.cpp       # the POSIX port's reading of mounts
  posix_move_test.cpp        # the POSIX port itself
  rename_engine_test.cpp     # the POSIX port on real directories
  rename_property_test.cpp   # the POSIX port; rename_property_win32_test.cpp runs the same plans
  undo_test.cpp              # the POSIX port on real directories
  uri_list_test.cpp          # text/uri-list gives POSIX paths; Windows drops are CF_HDROP
  validation_test.cpp        # the POSIX port on real directories, byte limits
)
function(quillon_logic_tests out_var root)
  set(platforms ${ARGN})
  file(GLOB candidates CONFIGURE_DEPENDS ${root}/tests/*_test.cpp)
  set(tests)
  foreach(test IN LISTS candidates)
    get_filename_component(file ${test} NAME)
    if(file MATCHES "_(icu|posix|win32)_test\\.cpp$")
      if(NOT CMAKE_MATCH_1 IN_LIST platforms)
        continue()
      endif()
    elseif("win32" IN_LIST platforms AND file IN_LIST QUILLON_TESTS_NOT_ON_WINDOWS)
      continue()
    endif()
    list(APPEND tests ${test})
  endforeach()
  set(${out_var} ${tests} PARENT_SCOPE)
endfunction()
