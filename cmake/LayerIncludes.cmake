# Fails when an include crosses the layers against their direction:
#   cmake -DROOT=<source dir> -P cmake/LayerIncludes.cmake
# - core/ includes nothing of intake/ or names/, intake/ nothing of names/;
# - window/, what both windows share, includes neither window (shell/,
#   win32/) nor a toolkit (Qt, the Win32 API); nothing of the logic or of
#   resources/ includes window/; the Win32 window includes nothing of shell/;
# - Qt only in shell/ and in intake/*_qt.* (and in the programs that drive
#   the window: tests/gui/, bench/);
# - ICU only in core/collation_icu.cpp.
if(NOT ROOT)
  message(FATAL_ERROR "LayerIncludes: pass -DROOT=<source dir>")
endif()

set(violations)
set(qt "^Q[A-Za-z]*$|^Qt[A-Za-z]*/")
set(win32_api "^(windows|windowsx|commctrl|commoncontrols|shellapi|shlobj|ole2|objbase)\\.h$")
file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/core/*.h ${ROOT}/core/*.cpp ${ROOT}/intake/*.h ${ROOT}/intake/*.cpp
  ${ROOT}/names/*.h ${ROOT}/names/*.cpp ${ROOT}/win32/*.h ${ROOT}/win32/*.cpp
  ${ROOT}/window/*.h ${ROOT}/window/*.cpp ${ROOT}/resources/*.h)
# The logic's own tests, those of window/ and the fuzz targets, but not
# tests/gui/, which drives the Qt window.
file(GLOB more RELATIVE ${ROOT} ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/window/*.cpp
  ${ROOT}/fuzz/*.cpp)
list(APPEND files ${more})
foreach(file IN LISTS files)
  file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header "${line}")
    set(why)
    if(file MATCHES "^(core|intake|names|resources)/" AND header MATCHES "^window/")
      set(why "window/ lies above the logic")
    elseif(file MATCHES "^(window|tests/window)/" AND header MATCHES "^(shell|win32)/")
      set(why "window/ lies below both windows")
    elseif(file MATCHES "^(window|tests/window)/" AND header MATCHES "${win32_api}")
      set(why "window/ is free of the Win32 API")
    elseif(file MATCHES "^(window|tests/window)/" AND header MATCHES "${qt}")
      set(why "window/ is free of Qt")
    elseif(file MATCHES "^win32/" AND header MATCHES "^shell/")
      set(why "the Win32 window takes nothing of the Qt one")
    elseif(file MATCHES "^core/" AND header MATCHES "^(intake|names|shell)/")
      set(why "core/ is the lowest layer")
    elseif(file MATCHES "^intake/" AND header MATCHES "^(names|shell)/")
      set(why "intake/ lies below names/")
    elseif(file MATCHES "^names/" AND header MATCHES "^shell/")
      set(why "the logic never reaches the shell")
    elseif(header MATCHES "${qt}" AND NOT file MATCHES "^intake/[^/]*_qt\\.")
      set(why "Qt belongs to shell/ and intake/*_qt.*")
    elseif(header MATCHES "^unicode/" AND NOT file STREQUAL "core/collation_icu.cpp")
      set(why "ICU belongs to core/collation_icu.cpp")
    endif()
    if(why)
      list(APPEND violations "${file}: #include <${header}>: ${why}")
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
message(STATUS "LayerIncludes: ${ROOT}: no include against the layers")
