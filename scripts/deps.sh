# Installs the Debian packages a command needs when they are missing.
# Usage: source scripts/deps.sh; ensure_packages pkg...
ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and testing need.
QUILLON_BUILD_PACKAGES=(build-essential cmake pkg-config libicu-dev libgtest-dev libgmock-dev
  libbenchmark-dev qt6-base-dev qt6-qpa-plugins libgl-dev shared-mime-info
  # A photo's capture time (exiv2); the tests make a HEIF sample with
  # libheif's encoder and tag it with exiftool.
  libexiv2-dev libheif-examples libimage-exiftool-perl
  # An exFAT image mounted through FUSE lets the tests prove case-only renames
  # on a file system that ignores case (skipped where mounting is not allowed).
  exfatprogs exfat-fuse
  # Real media for the tests and the benchmark: NTFS through ntfs-3g, ext4
  # images (mkfs.ext4), and libfuse 3 for a test file system of our own.
  ntfs-3g e2fsprogs libfuse3-dev
  # libFuzzer targets of the parsers (scripts/fuzz.sh): clang and its
  # sanitizer and fuzzer runtimes.
  clang libclang-rt-14-dev
  # The desktop metadata validators and the Debian package's dependency scan.
  appstream desktop-file-utils dpkg-dev
  # Debian's checker of the built package.
  lintian
  # The end-to-end test: a real X server, a small window manager, keyboard
  # input, the clipboard and window properties.
  xvfb openbox xdotool xclip x11-utils
  # The program killed in the middle of a run: strace slows its renames down.
  strace
  # The window read through AT-SPI as screen readers read it: a session bus,
  # the accessibility bus and its Python client.
  dbus at-spi2-core python3-pyatspi
  # PCManFM's context-menu entry end to end: the file manager, the module
  # that reads file-manager actions, and GTK 2's AT-SPI modules.
  pcmanfm libfm-modules libatk-adaptor libgail-common
  # The Windows port is cross-built with MinGW-w64 and its tests run under Wine.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  # Its installer (an MSI) and portable zip (scripts/package_win32.sh), and
  # the zip read back by the installer's test.
  wixl msitools zip unzip
  # The Windows window's test under Wine: a proportional Japanese font that
  # stands in for the dialogs' "MS UI Gothic" with about its metrics.
  fonts-ipafont-gothic)

# What running the window needs besides: a Japanese font for the dialog font,
# the X11 and Wayland platform plugins, icons for file types, and xdg-open.
QUILLON_RUN_PACKAGES=(fonts-noto-cjk qt6-qpa-plugins qt6-wayland adwaita-icon-theme xdg-utils)
