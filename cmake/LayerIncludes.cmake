# Fails when an include crosses the layers against their direction:
#   cmake -DROOT=<source dir> -P cmake/LayerIncludes.cmake
# - core/ includes nothing of intake/ or names/, intake/ nothing of names/;
# - tests/support/ nothing of a platform's port;
# - Qt only in shell/ and in intake/*_qt.* (and in the programs that drive
#   the window: tests/gui/, bench/);
# - ICU only in core/collation_icu.cpp.
if(NOT ROOT)
  message(FATAL_ERROR "LayerIncludes: pass -DROOT=<source dir>")
endif()

set(violations)
file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/core/*.h ${ROOT}/core/*.cpp ${ROOT}/intake/*.h ${ROOT}/intake/*.cpp
  ${ROOT}/names/*.h ${ROOT}/names/*.cpp ${ROOT}/win32/*.h ${ROOT}/win32/*.cpp
  ${ROOT}/resources/*.h)
# The logic's own tests, their support library and the fuzz targets, but not
# tests/gui/, which drives the Qt window.
file(GLOB more RELATIVE ${ROOT} ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/support/*.h
     ${ROOT}/tests/support/*.cpp ${ROOT}/fuzz/*.cpp)
list(APPEND files ${more})
foreach(file IN LISTS files)
  file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header "${line}")
    set(why)
    if(file MATCHES "^core/" AND header MATCHES "^(intake|names|shell)/")
      set(why "core/ is the lowest layer")
    elseif(file MATCHES "^intake/" AND header MATCHES "^(names|shell)/")
      set(why "intake/ lies below names/")
    elseif(file MATCHES "^names/" AND header MATCHES "^shell/")
      set(why "the logic never reaches the shell")
    elseif(file MATCHES "^tests/support/" AND header MATCHES "^(shell|win32)/")
      set(why "the tests' support library serves both builds")
    elseif(header MATCHES "^Q[A-Za-z]*$|^Qt[A-Za-z]*/" AND NOT file MATCHES "^intake/[^/]*_qt\\.")
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
