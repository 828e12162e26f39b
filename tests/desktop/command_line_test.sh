#!/usr/bin/env bash
# The program's command line as a terminal user meets it: what goes to which
# stream with which exit status, with no display at all. An abort (status 134)
# or a second line from the toolkit fails.
# Usage: command_line_test.sh QUILLON_BINARY
set -uo pipefail
binary=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
touch "$scratch/here.txt"
failed=0

# arguments | status | lines on stdout | lines on stderr | text stderr names
cases=(
  "--help|0|9|0|"
  "--version|0|1|0|"
  "$scratch/here.txt --bogus|2|0|1|--bogus"
  "-h|2|0|1|-h"
  "$scratch/here.txt $scratch/typo.txt|2|0|1|$scratch/typo.txt"
  "$scratch/here.txt|1|0|1|DISPLAY"
  "|1|0|1|DISPLAY"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r arguments status out_lines err_lines names <<<"$entry"
  # shellcheck disable=SC2086 # the arguments hold no spaces of their own
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$scratch" \
    "$binary" $arguments >"$scratch/out" 2>"$scratch/err"
  actual=$?
  got_out=$(wc -l <"$scratch/out")
  got_err=$(wc -l <"$scratch/err")
  if [ "$actual" != "$status" ] || [ "$got_out" != "$out_lines" ] || [ "$got_err" != "$err_lines" ] ||
    { [ -n "$names" ] && ! grep -qF -- "$names" "$scratch/err"; }; then
    echo "FAIL: quillon $arguments: status $actual (want $status)," \
      "$got_out/$got_err lines (want $out_lines/$err_lines)" >&2
    cat "$scratch/err" >&2
    failed=1
  fi
done
grep -q '^Usage: quillon' < <("$binary" --help) || { echo "FAIL: no English usage" >&2; failed=1; }
exit "$failed"
