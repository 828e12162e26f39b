# The logic's static libraries, one per folder, for the Linux project
# (CMakeLists.txt) and the Windows one (win32/CMakeLists.txt): the one place
# that lists their sources.
#
#   quillon_add_logic(<root> <platform>...)
#
# The sources of core/, intake/, names/ and dialog/ are listed below, with
# the files of each platform (icu, posix, win32) apart.
#
# The libraries link downwards only: core <- intake <- names <- dialog.
# dialog/ holds CQuillonDlg, the controller whose handlers ask the layers
# below and show the outcome through the dialog port; nothing below it
# knows of it.
#
# A new file joins a program only by being listed.
set(QUILLON_CORE_SOURCES
  collation.cpp
  file_dates.cpp
  file_rows.cpp
  file_system.cpp
  journal_fields.cpp
  layout.cpp
  name_codec.cpp
  name_numbering.cpp
  paths.cpp
  plan_check.cpp
  records.cpp
  rename_parking.cpp
  rename_run.cpp
  row_order.cpp
  run_journal.cpp
  run_recovery.cpp
  visible_name.cpp)
set(QUILLON_CORE_SOURCES_icu collation_icu.cpp)
set(QUILLON_CORE_SOURCES_posix paths_posix.cpp)
set(QUILLON_CORE_SOURCES_win32 collation_win32.cpp paths_win32.cpp)
set(QUILLON_INTAKE_SOURCES
  drop_intake.cpp
  natural_order.cpp
  uri_list.cpp)
set(QUILLON_INTAKE_SOURCES_posix split_path_posix.cpp)
set(QUILLON_INTAKE_SOURCES_win32 split_path_win32.cpp)
set(QUILLON_NAMES_SOURCES
  generation.cpp
  name_list.cpp
  validation.cpp)
set(QUILLON_DIALOG_SOURCES
  drop_intake.cpp
  execute.cpp
  generation.cpp
  name_list_commands.cpp
  plan_check.cpp
  quillon_dlg.cpp
  recovery.cpp
  refresh.cpp
  rename_engine.cpp
  reset.cpp
  row_commands.cpp
  row_order.cpp
  undo.cpp
  validation.cpp)

function(quillon_add_logic root)
  set(platforms ${ARGN})
  foreach(layer core intake names dialog)
    string(TOUPPER ${layer} LAYER)
    set(sources ${QUILLON_${LAYER}_SOURCES})
    foreach(platform IN LISTS platforms)
      list(APPEND sources ${QUILLON_${LAYER}_SOURCES_${platform}})
    endforeach()
    list(TRANSFORM sources PREPEND ${root}/${layer}/)
    add_library(quillon_${layer} STATIC ${sources})
    target_include_directories(quillon_${layer} PUBLIC ${root})
    target_compile_options(quillon_${layer} PRIVATE ${QUILLON_WARNINGS})
  endforeach()
  target_link_libraries(quillon_intake PUBLIC quillon_core)
  target_link_libraries(quillon_names PUBLIC quillon_intake)
  target_link_libraries(quillon_dialog PUBLIC quillon_names)

  # What the rest of the project links: all of the logic.
  add_library(quillon_logic INTERFACE)
  target_link_libraries(quillon_logic INTERFACE quillon_dialog)
endfunction()

# The logic's tests, every file named once, one a line, in alphabetical
# order. Those of both builds run on the memory file system of the tests'
# support library (tests/support/) or need no port at all; real disks are
# for the ports' own tests.
set(QUILLON_LOGIC_TESTS
  drop_intake_test.cpp
  file_dates_test.cpp
  file_rows_test.cpp
  generation_test.cpp
  journal_test.cpp
  layout_test.cpp
  name_codec_test.cpp
  name_key_test.cpp
  name_list_test.cpp
  natural_order_test.cpp
  paths_records_test.cpp
  plan_check_test.cpp
  power_loss_test.cpp
  rename_engine_test.cpp
  row_order_test.cpp
  support/memory_file_system_test.cpp
  undo_test.cpp
  uri_list_test.cpp
  validation_test.cpp
)
# Linux only: the POSIX port on real temporary directories and mounted file
# systems, the POSIX command line and paths, ICU's collation.
set(QUILLON_LOGIC_TESTS_POSIX
  arguments_test.cpp
  case_insensitive_test.cpp
  collation_icu_test.cpp
  crash_posix_test.cpp
  file_dates_posix_test.cpp
  hostile_names_test.cpp
  paths_posix_test.cpp
  posix_mount_test.cpp
  posix_move_test.cpp
  real_disk_posix_test.cpp
  real_media_posix_test.cpp
  rename_property_test.cpp
)
# Windows only: its collation and paths, and the random plans on the Windows
# port in a folder of the Windows temporary directory.
set(QUILLON_LOGIC_TESTS_WIN32
  collation_win32_test.cpp
  paths_win32_test.cpp
  rename_property_win32_test.cpp
)

# The full paths of the logic's tests of both builds and of <platform>
# (posix or win32), into <out_var>.
function(quillon_logic_tests out_var root platform)
  string(TOUPPER ${platform} upper)
  set(tests)
  foreach(test IN LISTS QUILLON_LOGIC_TESTS QUILLON_LOGIC_TESTS_${upper})
    list(APPEND tests ${root}/tests/${test})
  endforeach()
  set(${out_var} ${tests} PARENT_SCOPE)
endfunction()

# The tests' support library: the memory file system, linked into the
# logic's test program of either build.
function(quillon_add_test_support root)
  add_library(quillon_test_support STATIC ${root}/tests/support/memory_file_system.cpp)
  target_link_libraries(quillon_test_support PUBLIC quillon_logic)
  target_compile_options(quillon_test_support PRIVATE ${QUILLON_WARNINGS} ${ARGN})
endfunction()
