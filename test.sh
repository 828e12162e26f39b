#!/usr/bin/env bash
# Installs what is missing, builds, runs a few seconds of each fuzz target,
# then every test.
#   ./test.sh [ctest arguments]             the usual build in build/
#   ./test.sh --sanitize [ctest arguments]  the same suite built with ASan and
#                                           UBSan, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${QUILLON_BUILD_PACKAGES[@]}"

build=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build=build-sanitize
  options+=(-DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF)
  # Leaks are reported too; a finding fails the test that made it.
  export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
fi
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The parsers against arbitrary input: the kept corpus first (every input
# that ever crashed is in it), then a few seconds of new inputs each. They
# run before the suite so that CTest's summary is the last thing printed.
if [ "$build" = build ] && [ $# -eq 0 ]; then
  scripts/fuzz.sh 3
fi

(cd "$build" && ctest --output-on-failure -j"$(nproc)" "$@")
