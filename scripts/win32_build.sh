#!/usr/bin/env bash
# Cross-builds the Windows programs into build-win/ with MinGW-w64
# (see win32/CMakeLists.txt). Extra arguments go to `cmake --build`,
# for example `--target quillon_win32_tests`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-win"
# Two test runs of one tree (two build directories) share build-win/.
mkdir -p "$build"
exec 9>"$build/.build.lock"
flock 9
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root/win32" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
elif [ -n "$(find "$root/win32" "$root/platform/win32" "$root/tests/win32" "$root/cmake" \
  \( -name CMakeLists.txt -o -name '*.cmake' \) -newer "$build/Makefile")" ]; then
  # A target named on the command line that a changed project has added is
  # unknown to the old makefiles, which would refuse it before they are
  # made anew.
  cmake "$build" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
