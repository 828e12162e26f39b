#!/usr/bin/env bash
# Builds the Windows installer quillon-<version>-x64.msi and, beside it, the
# portable quillon-<version>-x64.zip (quillon.exe, README.txt) from
# build-win/quillon.exe, into the repository's top directory or OUTPUT_DIR.
# The version is the program's own (win32/quillon.rc) unless --version gives
# another, as the installer's upgrade test does for an older package.
# Usage: scripts/package_win32.sh [--version A.B.C.D] [OUTPUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
version=$(sed -n 's/.*VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' "$root/win32/quillon.rc")
if [ "${1:-}" = --version ]; then
  version=$2
  shift 2
fi
output=$(realpath -m "${1:-$root}")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || {
  echo "not a version of four numbers: $version" >&2
  exit 1
}
source "$root/scripts/deps.sh"
ensure_packages wixl msitools zip
# Only the packages' paths go to the standard output.
"$root/scripts/win32_build.sh" --target quillon >&2

stage=$(mktemp -d "${TMPDIR:-/tmp}/quillon-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cp "$root/build-win/quillon.exe" "$root/win32/quillon.ico" "$stage/"
mkdir -p "$output"
msi="$output/quillon-$version-x64.msi"
(cd "$stage" && wixl --arch x64 -D Version="$version" -D Program=quillon.exe \
  -D Icon=quillon.ico -o package.msi "$root/win32/installer/quillon.wxs")

# The Japanese texts, in code page 932 (Shift_JIS), which every Windows
# reads; a shortcut's name is a file name, given with an 8.3 name first.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$stage/_ForceCodepage.idt"
msibuild "$stage/package.msi" -i "$stage/_ForceCodepage.idt"
description="ファイルに連番の名前を付けて、まとめてリネームします"
msibuild "$stage/package.msi" \
  -q "UPDATE \`Property\` SET \`Value\`='クイロン' WHERE \`Property\`='ProductName'" \
  -q "UPDATE \`Shortcut\` SET \`Name\`='QUILLON|クイロン', \`Description\`='$description'" \
  -q "UPDATE \`Feature\` SET \`Title\`='クイロン'" \
  -q "UPDATE \`LaunchCondition\` SET \`Description\`='新しいバージョンのクイロンがインストールされています。'"

# wixl leaves out IncludeMaximum (attribute 512): with it, a rebuild of the
# same version, or one differing in the fourth number only (which Windows
# Installer ignores when it compares), replaces the installed one too.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$root/win32/installer/quillon.wxs")
msibuild "$stage/package.msi" \
  -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\`='QUILLON_OLDER'" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('{$upgrade_code}', '0.0.0', '$version', 768, 'QUILLON_OLDER')"
mv -f "$stage/package.msi" "$msi"

# The portable zip: the program and its README, nothing installed.
zipdir="$stage/quillon-$version"
mkdir "$zipdir"
cp "$root/build-win/quillon.exe" "$zipdir/"
# Notepad reads UTF-8, and CR LF ends its lines.
sed "s/@VERSION@/$version/; s/$/\r/" "$root/win32/installer/README.txt" >"$zipdir/README.txt"
zip="$output/quillon-$version-x64.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" "quillon-$version")
echo "$msi"
echo "$zip"
