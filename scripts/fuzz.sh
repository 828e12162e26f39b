#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (the logic
# instrumented, ASan and UBSan on) and runs each target: first every input of
# its kept corpus under fuzz/corpus/<target>/ (every input that ever crashed
# is kept there), then new inputs for the given number of seconds.
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Targets: uri_list name_codec name_keys generate_names name_list journal
# capture_time exif_head.
# An input that breaks a target is copied into its corpus, so that it stays
# a regression test, and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${QUILLON_BUILD_PACKAGES[@]}"

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(uri_list name_codec name_keys generate_names name_list journal
  capture_time exif_head)

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_BUILD_FUZZ=ON \
  -DQUILLON_BUILD_SHELL=OFF -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for target in "${targets[@]}"; do
  corpus=fuzz/corpus/$target
  mkdir -p "$corpus" "$work/$target"
  # New inputs go to the scratch directory (the first one named); the kept
  # corpus is only read.
  if ! build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$work/$target-" -print_final_stats=1 \
      "$work/$target" "$corpus" >"$work/$target.log" 2>&1; then
    failed=1
    echo "fuzz_$target: FOUND A FAULT" >&2
    tail -n 40 "$work/$target.log" >&2
    for artifact in "$work/$target"-*; do
      [ -e "$artifact" ] && cp "$artifact" "$corpus/" && echo "kept $corpus/$(basename "$artifact")" >&2
    done
  else
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target.log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz_$target: ${seconds}s, $runs inputs, no finding"
  fi
done
exit $failed
