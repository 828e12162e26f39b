#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass their validators without
# a single complaint; the context-menu entries, which no validator knows,
# each hand the selected files to quillon in one call.
# Usage: validate_test.sh RESOURCES_DESKTOP_DIR
set -euo pipefail
dir=$1

complaints=$(desktop-file-validate "$dir/quillon.desktop" 2>&1)
if [ -n "$complaints" ]; then
  echo "desktop-file-validate: $complaints" >&2
  exit 1
fi
appstreamcli validate --no-net "$dir/example.tovrenko.quillon.metainfo.xml"

for entry in quillon-servicemenu.desktop quillon-action.desktop quillon.nemo_action; do
  # %F: every selected file in one command line, so they arrive as one drop.
  if [ "$(grep -c '^Exec=quillon %F$' "$dir/$entry")" != 1 ]; then
    echo "$entry: no single 'Exec=quillon %F' line" >&2
    exit 1
  fi
  grep -q '^Name\[ja\]=クイロンでリネーム$' "$dir/$entry" || {
    echo "$entry: no Japanese name" >&2
    exit 1
  }
done
# PCManFM shows an action's tooltip in place of its name whenever one is set.
if grep -q '^Tooltip' "$dir/quillon-action.desktop"; then
  echo "quillon-action.desktop: a Tooltip would hide the name in PCManFM" >&2
  exit 1
fi
echo "desktop metadata: valid"
