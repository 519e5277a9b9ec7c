#!/usr/bin/env bash
# Demo of the window-control extender: starts ctltarget (a form with one control of each kind) and
# has pollex fill and send it with tests/extenders/ctl/scripts/fill.pxl, from another process.
# Linux: the GTK form and libpxctl.so over an accessibility bus of a D-Bus session of its own.
# --wine: the Windows builds (wine-tests preset) under 64-bit Wine, in a Wine prefix of their own.
# Without a display the form is shown on an Xvfb display. Prints what the form received.
# Usage: scripts/pxctl-demo.sh [--wine] [NAME]
set -u
cd "$(dirname "$0")/.."
wine=0
if [ "${1:-}" = --wine ]; then wine=1; shift; fi
name=${1:-Erika Muster}
source scripts/deps.sh
lumora_install_packages "${LUMORA_LINUX_PACKAGES[@]}" || exit 1
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
work=$(mktemp -d /tmp/lumora-pxctl-demo-XXXXXX)
xvfb=""
cleanup() {
  [ "$wine" = 1 ] && WINEPREFIX=$work/prefix /usr/lib/wine/wineserver64 -k 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:$((500 + RANDOM % 400))
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
fi
script=$PWD/tests/extenders/ctl/scripts/fill.pxl
if [ "$wine" = 1 ]; then
  lumora_install_packages "${LUMORA_WINDOWS_PACKAGES[@]}" || exit 1
  cmake --preset wine-tests >/dev/null && cmake --build --preset wine-tests --target ctltarget || exit 1
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  cd build/wine-tests/bin
  /usr/lib/wine/wine64 ctltarget.exe >"$work/form.log" 2>/dev/null &
  for _ in $(seq 300); do grep -q ready "$work/form.log" && break; sleep 0.1; done
  /usr/lib/wine/wine64 pollex.exe "Z:${script//\//\\}" "NAME=$name" 2>/dev/null | tr -d '\r'
  for _ in $(seq 50); do grep -q submitted "$work/form.log" && break; sleep 0.1; done
else
  cmake --preset linux >/dev/null && cmake --build --preset linux --target pollex pxctl ctltarget_gtk || exit 1
  bin=$PWD/build/linux/bin
  env -u NO_AT_BRIDGE dbus-run-session -- sh -c '
    "$1/ctltarget_gtk" >"$2/form.log" 2>/dev/null & form=$!
    for _ in $(seq 300); do grep -qx ready "$2/form.log" && break; sleep 0.1; done
    "$1/pollex" "$3" "NAME=$4" >"$2/pollex.out" 2>/dev/null
    for _ in $(seq 50); do kill -0 $form 2>/dev/null || break; sleep 0.1; done
    kill $form 2>/dev/null' sh "$bin" "$work" "$script" "$name" >/dev/null 2>&1
  cat "$work/pollex.out"
fi
echo "The form received:"
grep -a submitted "$work/form.log" | tr -d '\r'
