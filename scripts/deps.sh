# Debian packages the build, the tests and the demo need; sourced by scripts/test.sh and
# scripts/run.sh. Installs only what is missing.

LUMORA_LINUX_PACKAGES=(cmake ninja-build g++ pkg-config python3 libgtest-dev libgmock-dev googletest
  libsqlite3-dev libglib2.0-dev libicu-dev dbus dbus-x11 libx11-dev libxtst-dev xvfb xauth x11-utils
  libgtk-3-dev libwebkit2gtk-4.1-dev xdotool
  iso-codes python3-phonenumbers cabextract
  libcurl4-openssl-dev python3-pyftpdlib openssl)
# 32-bit Windows is the shipped target; its test binaries are also built for x86_64 so that they
# run under 64-bit Wine on machines that cannot execute 32-bit code.
LUMORA_WINDOWS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64)

lumora_install_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q -o DPkg::Lock::Timeout=600 >/dev/null &&
    $sudo apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}" >/dev/null
}
