#!/usr/bin/env bash
# Builds the Debian package from the build tree into a scratch directory.
# layout: unpacks it there and checks that every file is where the desktop
# looks for it, that its dependencies were computed from the linked
# libraries, and that the packaged program answers --version.
# lintian: Debian's own checker, pedantic tags included, finds no error and
# no warning (what else it says is printed).
# Usage: package_test.sh BUILD_DIR layout|lintian
set -euo pipefail
build=$(cd "$1" && pwd)
mode=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb="$scratch/out/quillon_1.0.0.1_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$scratch/out")"

if [ "$mode" = lintian ]; then
  # Exit status 0 even with errors found (--fail-on none): the tags decide.
  lintian --pedantic --display-info --fail-on none --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 ||
    { cat "$scratch/lintian.log" >&2; fail "lintian did not run"; }
  cat "$scratch/lintian.log"
  if grep -Eq '^[EW]: ' "$scratch/lintian.log"; then fail "lintian reports errors or warnings"; fi
  echo "lintian: no error and no warning"
  exit 0
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quillon ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.0.0.1 ] || fail "Version: $(field Version)"
depends=$(field Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 'libicu[0-9]' 'libstdc\+\+6' \
  qt6-qpa-plugins fonts-noto-cjk xdg-utils; do
  grep -Eq "(^|, )$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
# The file managers' context entries are read only by these.
[ "$(field Suggests)" = "libfm-modules, caja-actions" ] || fail "Suggests: $(field Suggests)"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
expected=(
  usr/bin/quillon
  usr/share/applications/quillon.desktop
  usr/share/metainfo/example.tovrenko.quillon.metainfo.xml
  usr/share/icons/hicolor/16x16/apps/quillon.png
  usr/share/icons/hicolor/32x32/apps/quillon.png
  usr/share/icons/hicolor/48x48/apps/quillon.png
  usr/share/icons/hicolor/scalable/apps/quillon.svg
  usr/share/kio/servicemenus/quillon.desktop
  usr/share/file-manager/actions/quillon.desktop
  usr/share/nemo/actions/quillon.nemo_action
  usr/share/doc/quillon/copyright
  usr/share/doc/quillon/changelog.gz
  usr/share/man/man1/quillon.1.gz
)
actual=$(cd "$root" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "files differ from the expected layout:
$(diff <(echo "$wanted") <(echo "$actual"))"
[ -x "$root/usr/bin/quillon" ] || fail "usr/bin/quillon is not executable"
# Every library the program loads comes with its package in Depends (exiv2's
# among them, once the program reads capture times).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# The package names of Depends, one a line, without versions or alternatives' bars.
depends_names=$(sed 's/ *([^)]*)//g; s/ *| */\n/g; s/, */\n/g' <<<"$depends")
for soname in $(readelf -d "$root/usr/bin/quillon" | sed -n 's/.*Shared library: \[\(.*\)\]$/\1/p'); do
  owner=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | head -n 1 | cut -d: -f1)
  [ -n "$owner" ] || fail "no installed package holds $soname"
  grep -Fxq "$owner" <<<"$depends_names" || fail "Depends lacks $owner for $soname: $depends"
done

# The metadata as installed: the launchable desktop entry and the icons are
# found in the tree.
appstreamcli validate-tree --no-net "$root" >"$scratch/tree.log" 2>&1 ||
  { cat "$scratch/tree.log" >&2; fail "appstreamcli validate-tree"; }

version=$("$root/usr/bin/quillon" --version)
[ "$version" = "quillon 1.0.0.1" ] || fail "--version printed: $version"
echo "package: $(basename "$deb") laid out as expected"
