# Debian packages the build, the tests and the demo need (the dialog layout test measures
# DejaVu Sans); sourced by scripts/test.sh and
# scripts/run.sh. Installs only what is missing.

LUMORA_LINUX_PACKAGES=(cmake ninja-build ccache g++ pkg-config python3 libgtest-dev libgmock-dev googletest
  libsqlite3-dev libglib2.0-dev libicu-dev dbus dbus-x11 libx11-dev libxtst-dev xvfb xauth x11-utils
  libgtk-3-dev libwebkit2gtk-4.1-dev xdotool fonts-dejavu-core
  iso-codes python3-phonenumbers cabextract
  libcurl4-openssl-dev python3-pyftpdlib openssl
  libatspi2.0-dev at-spi2-core)
# 32-bit Windows is the shipped target; its test binaries are also built for x86_64 so that they
# run under 64-bit Wine on machines that cannot execute 32-bit code.
LUMORA_WINDOWS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64)
# The fuzz targets are built with clang (libFuzzer and the sanitizers come with it).
LUMORA_FUZZ_PACKAGES=(clang)

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

# The shipped i686 binaries run under 32-bit Wine, which needs the kernel to execute 32-bit code
# (containers and some kernels cannot) and Debian's i386 architecture for wine32.
LUMORA_WINE32_PACKAGES=(wine32:i386)

# A 95-byte static i386 ELF program that only exits with status 42: whether the kernel runs it tells
# whether this machine can execute 32-bit code at all, before anything is installed for it.
lumora_can_run_i386() {
  local probe status
  probe=$(mktemp /tmp/lumora-i386-probe-XXXXXX) || return 1
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5f\x00\x00\x00\x5f\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xb3\x2a\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# Installs 32-bit Wine when the machine can run it. Otherwise, or when i386 packages cannot be had,
# returns non-zero with the reason in LUMORA_WINE32_MISSING.
LUMORA_WINE32_MISSING=""
lumora_install_wine32() {
  if ! lumora_can_run_i386; then
    LUMORA_WINE32_MISSING="this machine cannot execute 32-bit code"
    return 1
  fi
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386 && ! $sudo dpkg --add-architecture i386; then
    LUMORA_WINE32_MISSING="the i386 architecture could not be added to dpkg"
    return 1
  fi
  lumora_install_packages "${LUMORA_WINE32_PACKAGES[@]}" || {
    LUMORA_WINE32_MISSING="32-bit Wine could not be installed"
    return 1; }
}
