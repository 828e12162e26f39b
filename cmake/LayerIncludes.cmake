# Fails when an include crosses the layers against their direction:
#   cmake -DROOT=<source dir> -P cmake/LayerIncludes.cmake
# - the logic's folders include only downwards: core/ <- intake/ <- names/
#   <- dialog/; resources/ include nothing of the project;
# - window/, what both windows share, includes neither window (shell/,
#   win32/) nor a toolkit (Qt, the Win32 API); nothing of the logic or of
#   resources/ includes window/; the Win32 window includes nothing of shell/;
# - tests/support/ nothing of a platform's port;
# - Qt only in shell/ and in intake/*_qt.* (and in the programs that drive
#   the window: tests/gui/, bench/);
# - ICU only in core/collation_icu.cpp;
# and no CMake file picks sources by file(GLOB).
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
layer_rule("^(core|intake|names|dialog|resources|tests/support)/" "^window/" "" "window/ lies above the logic")
layer_rule("${window}" "^(shell|win32)/" "" "window/ lies below both windows")
layer_rule("${window}" "${win32_api}" "" "window/ is free of the Win32 API")
layer_rule("${window}" "${qt}" "" "window/ is free of Qt")
layer_rule("^win32/" "^shell/" "" "the Win32 window takes nothing of the Qt one")
layer_rule("^resources/" "^(core|intake|names|dialog|shell|win32)/" "" "resources/ depend on nothing")
layer_rule("^core/" "^(intake|names|dialog|shell)/" "" "core/ is the lowest layer")
layer_rule("^intake/" "^(names|dialog|shell)/" "" "intake/ lies below names/")
layer_rule("^names/" "^(dialog|shell)/" "" "names/ lies below dialog/")
layer_rule("^dialog/" "^(shell|win32)/" "" "the logic never reaches a window")
layer_rule("^tests/support/" "^(shell|win32)/" "" "the tests' support library serves both builds")
layer_rule("" "${qt}" "^intake/[^/]*_qt\\." "Qt belongs to shell/ and intake/*_qt.*")
layer_rule("" "^unicode/" "^core/collation_icu\\.cpp$" "ICU belongs to core/collation_icu.cpp")
math(EXPR last_rule "${rule_count} - 1")

file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/core/*.h ${ROOT}/core/*.cpp ${ROOT}/intake/*.h ${ROOT}/intake/*.cpp
  ${ROOT}/names/*.h ${ROOT}/names/*.cpp ${ROOT}/dialog/*.h ${ROOT}/dialog/*.cpp ${ROOT}/win32/*.h ${ROOT}/win32/*.cpp
  ${ROOT}/window/*.h ${ROOT}/window/*.cpp ${ROOT}/resources/*.h)
# The logic's own tests, their support library, the tests of window/ and the
# fuzz targets, but not tests/gui/, which drives the Qt window.
file(GLOB more RELATIVE ${ROOT} ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/support/*.h
     ${ROOT}/tests/support/*.cpp ${ROOT}/tests/window/*.cpp ${ROOT}/fuzz/*.cpp)
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

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
message(STATUS "LayerIncludes: ${ROOT}: no include against the layers")
