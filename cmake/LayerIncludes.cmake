# Fails when an include or a link line runs against the layers:
#   cmake -DROOT=<source dir> -P cmake/LayerIncludes.cmake
# Includes, in the sources of every folder named below:
# - the logic's folders include only downwards: core/ <- intake/ <- names/
#   <- dialog/; resources/ include nothing of the project;
# - window/, what both windows share, includes neither window (shell/,
#   win32/), no port (platform/) and no toolkit (Qt, the Win32 API); nothing
#   of the logic or of resources/ includes window/; neither window includes
#   the other;
# - platform/posix/ and platform/win32/, the ports, implement the interfaces
#   of core/: they include nothing above core/, nothing of each other, no
#   window and no toolkit; of the rest only the programs' wiring (main, the
#   application object, the windows that own their ports, the Win32 window's
#   wide-character text), the tests, the benchmark and the fuzz targets
#   include them;
# - tests/support/ nothing of a platform's port or window;
# - Qt only in shell/ (and in the programs that drive the Qt window:
#   tests/gui/, bench/);
# - ICU only in core/collation_icu.cpp.
# Link lines: every target_link_libraries( of the project's CMake files
# (every CMakeLists.txt and cmake/*.cmake). Each of the project's
# own targets in them (quillon and quillon_*) has a rank in the table below,
# and each link points to a lower rank: the link graph runs downwards, so
# it has no cycle. A target without a rank fails, so that a new library is
# placed before it is linked; a rank for a target no link line names fails
# too.
# And no CMake file picks sources by file(GLOB).
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "LayerIncludes: pass -DROOT=<source dir>")
endif()

# The rules, the first that matches wins: a file whose path matches <files>
# may not include a header matching <headers>, unless its path matches
# <except> (empty: no exception).
set(rule_count 0)
function(layer_rule files headers except why)
  set(n ${rule_count})
  set(rule_files_${n} "${files}" PARENT_SCOPE)
  set(rule_headers_${n} "${headers}" PARENT_SCOPE)
  set(rule_except_${n} "${except}" PARENT_SCOPE)
  set(rule_why_${n} "${why}" PARENT_SCOPE)
  math(EXPR n "${n} + 1")
  set(rule_count ${n} PARENT_SCOPE)
endfunction()

set(qt "^Q[A-Za-z]*$|^Qt[A-Za-z]*/")
set(win32_api "^(windows|windowsx|commctrl|commoncontrols|shellapi|shlobj|ole2|objbase)\\.h$")
set(window "^(window|tests/window)/")
# The files outside tests/ and bench/ that must name a port: the programs'
# main files and application object (which make the dates readers), the windows that own their file system
# and journal store, and the Win32 window's conversions of text to and from
# the wide characters of the Windows API (ToWide, FromWide).
set(platform_wiring "^(shell/(main|quillon_app)\\.cpp|shell/quillon_window\\.h|win32/main_dialog\\.h|\
win32/(main\\.cpp|win32_text\\.h|shell_opener\\.cpp|recovery_dialog\\.cpp))$")
layer_rule("^(core|intake|names|dialog|resources|tests/support)/" "^window/" "" "window/ lies above the logic")
layer_rule("${window}" "^(shell|win32|platform)/" "" "window/ lies below both windows and knows no port")
layer_rule("${window}" "${win32_api}" "" "window/ is free of the Win32 API")
layer_rule("${window}" "${qt}" "" "window/ is free of Qt")
layer_rule("^win32/" "^(shell|platform/posix)/" "" "the Win32 window takes nothing of the Qt one or its port")
layer_rule("^shell/" "^(win32|platform/win32)/" "" "the Qt window takes nothing of the Win32 one or its port")
layer_rule("^resources/" "^(core|intake|names|dialog|platform|shell|win32)/" "" "resources/ depend on nothing")
layer_rule("^(core|intake|names|dialog)/" "^platform/" "" "the logic knows the ports only by core's interfaces")
layer_rule("^core/" "^(intake|names|dialog|shell)/" "" "core/ is the lowest layer")
layer_rule("^intake/" "^(names|dialog|shell)/" "" "intake/ lies below names/")
layer_rule("^names/" "^(dialog|shell)/" "" "names/ lies below dialog/")
layer_rule("^dialog/" "^(shell|win32)/" "" "the logic never reaches a window")
layer_rule("^tests/support/" "^(platform|shell|win32)/" "" "the tests' support library serves both builds")
layer_rule("^platform/" "${qt}" "" "platform/ is free of any toolkit")
layer_rule("^platform/" "^(intake|names|dialog|window|shell|win32|tests)/" ""
           "platform/ implements core's ports and takes nothing above core/")
layer_rule("^platform/posix/" "^platform/win32/" "" "the POSIX port takes nothing of the Windows one")
layer_rule("^platform/win32/" "^platform/posix/" "" "the Windows port takes nothing of the POSIX one")
layer_rule("" "^platform/" "^(platform|tests|bench|fuzz)/|${platform_wiring}"
           "only the programs' wiring, the tests, the benchmark and the fuzz targets reach a port")
layer_rule("" "${qt}" "^(shell|tests/gui|bench)/" "Qt belongs to shell/")
layer_rule("" "^unicode/" "^core/collation_icu\\.cpp$" "ICU belongs to core/collation_icu.cpp")
math(EXPR last_rule "${rule_count} - 1")

file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/core/*.h ${ROOT}/core/*.cpp ${ROOT}/intake/*.h ${ROOT}/intake/*.cpp
  ${ROOT}/names/*.h ${ROOT}/names/*.cpp ${ROOT}/dialog/*.h ${ROOT}/dialog/*.cpp
  ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp ${ROOT}/window/*.h ${ROOT}/window/*.cpp
  ${ROOT}/shell/*.h ${ROOT}/shell/*.cpp ${ROOT}/win32/*.h ${ROOT}/win32/*.cpp
  ${ROOT}/resources/*.h)
# The tests (of the logic, their support library, of window/, of each
# window and of the Windows port), the benchmark and the fuzz targets.
file(GLOB more RELATIVE ${ROOT} ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp
     ${ROOT}/tests/support/*.h ${ROOT}/tests/support/*.cpp ${ROOT}/tests/window/*.cpp
     ${ROOT}/tests/gui/*.h ${ROOT}/tests/gui/*.cpp ${ROOT}/tests/win32/*.h
     ${ROOT}/tests/win32/*.cpp ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp ${ROOT}/fuzz/*.cpp)
list(APPEND files ${more})
set(violations)
foreach(file IN LISTS files)
  file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header "${line}")
    foreach(i RANGE ${last_rule})
      if(NOT file MATCHES "${rule_files_${i}}" OR NOT header MATCHES "${rule_headers_${i}}")
        continue()
      endif()
      if(NOT rule_except_${i} STREQUAL "" AND file MATCHES "${rule_except_${i}}")
        continue()
      endif()
      list(APPEND violations "${file}: #include <${header}>: ${rule_why_${i}}")
      break()
    endforeach()
  endforeach()
endforeach()

# Every target lists its sources: a glob lets a new file land in a program
# without anyone deciding it.
file(GLOB_RECURSE build_files RELATIVE ${ROOT} ${ROOT}/CMakeLists.txt ${ROOT}/*/CMakeLists.txt
     ${ROOT}/cmake/*.cmake)
list(FILTER build_files EXCLUDE REGEX "^(build[^/]*|cmake/LayerIncludes\\.cmake)")
foreach(file IN LISTS build_files)
  file(STRINGS ${ROOT}/${file} globs REGEX "file\\(GLOB")
  if(globs)
    list(APPEND violations "${file}: file(GLOB): list the sources")
  endif()
endforeach()

# The link ranks, lowest first: a target may link only targets of a lower
# rank. The ports rank just above core/, whose interfaces they implement.
function(link_rank rank)
  foreach(target IN LISTS ARGN)
    set(rank_${target} ${rank} PARENT_SCOPE)
  endforeach()
  set(ranked ${ranked} ${ARGN} PARENT_SCOPE)
endfunction()
set(ranked)
link_rank(1 quillon_core)                                  # core/
link_rank(2 quillon_posix quillon_win32_fs)                # platform/posix/, platform/win32/
link_rank(3 quillon_intake)                                # intake/
link_rank(4 quillon_names)                                 # names/
link_rank(5 quillon_dialog)                                # dialog/
link_rank(6 quillon_logic)                                 # all of the logic, as one name
link_rank(7 quillon_window_behaviour quillon_test_support) # window/, tests/support/
link_rank(8 quillon_win32_ui)                              # win32/: drop, clipboard, opener
link_rank(9 quillon_shell quillon_win32_window)            # the windows
# The programs and the tests.
link_rank(10 quillon quillon_bench quillon_cut_run quillon_gui_tests quillon_read_shortcut
          quillon_tests quillon_win32_logic_tests quillon_win32_tests quillon_window_tests)

# Every call, comments left out, also one that spans lines.
set(linked)
foreach(file IN LISTS build_files)
  file(READ ${ROOT}/${file} text)
  string(REGEX REPLACE "#[^\n]*" "" text "${text}")
  string(REGEX MATCHALL "target_link_libraries\\([^)]*\\)" calls "${text}")
  foreach(call IN LISTS calls)
    string(REGEX REPLACE "^target_link_libraries\\([ \t\r\n]*|[ \t\r\n]*\\)$" "" call "${call}")
    string(REGEX REPLACE "[ \t\r\n]+" ";" words "${call}")
    list(POP_FRONT words target)
    set(project_words)
    foreach(word IN ITEMS ${target} ${words})
      if(word MATCHES "^quillon(_|$)")
        list(APPEND project_words ${word})
      endif()
    endforeach()
    foreach(word IN LISTS project_words)
      list(APPEND linked ${word})
      if(NOT DEFINED rank_${word})
        list(APPEND violations "${file}: target_link_libraries(${target} ...): \
${word} has no link rank: place it in the table")
      endif()
    endforeach()
    # A target outside the project (a fuzz target, a test file system) is a
    # program of its own: nothing links it.
    if(NOT DEFINED rank_${target})
      continue()
    endif()
    foreach(library IN LISTS words)
      if(DEFINED rank_${library} AND NOT rank_${library} LESS rank_${target})
        list(APPEND violations "${file}: target_link_libraries(${target} ... ${library}): \
${target} (rank ${rank_${target}}) links ${library} (rank ${rank_${library}}), which does not lie below it")
      endif()
    endforeach()
  endforeach()
endforeach()
foreach(target IN LISTS ranked)
  if(NOT target IN_LIST linked)
    list(APPEND violations
         "cmake/LayerIncludes.cmake: ${target} has a link rank but no link line names it")
  endif()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes and links against the layers:\n  ${text}")
endif()
message(STATUS "LayerIncludes: ${ROOT}: no include or link against the layers")
