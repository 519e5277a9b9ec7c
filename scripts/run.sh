#!/usr/bin/env bash
# Builds the Linux target and starts the browser center on the default provider content, in a demo
# prefix (build/demo/prefix, an emulated machine of its own) and a demo installation folder
# (build/demo/install: the program, its libraries and the packed default content). Arguments are
# passed to the program. Without a display it runs under Xvfb and saves screenshots to
# build/demo/screenshots.
set -u
cd "$(dirname "$0")/.."
source scripts/deps.sh
lumora_install_packages "${LUMORA_LINUX_PACKAGES[@]}" imagemagick || {
  echo "error: could not install the packages the build needs" >&2; exit 1; }
cmake --preset linux >/dev/null && cmake --build --preset linux || exit 1

export LUMORA_PREFIX=${LUMORA_PREFIX:-$PWD/build/demo/prefix}
if [ ! -x build/linux/bin/lumora ]; then
  echo "The browser center is not built yet; the build produced: $(ls build/linux/bin | tr '\n' ' ')"
  exit 0
fi

# The installation folder is the program's own folder, as on Windows: the program, the libraries
# beside it and the packed content it unpacks there.
install=$PWD/build/demo/install
rm -rf "$install"
mkdir -p "$install"
# defhtml.dat is the default skin, config.dat the status and settings pages the program unpacks
# into "config" on its first start.
# rasman, the prefix's remote-access service, is started from beside the rasapi32 library.
cp build/linux/bin/lumora build/linux/bin/lib*.so build/linux/bin/rasman \
  build/linux/bin/defhtml.dat build/linux/bin/config.dat "$install"/
# The demo uses dial-up: pages on the Internet bring up the settings and connect page (dial.htm)
# in the popup while there is no connection.
printf '[Dialup]\r\nUseRas=1\r\n' > "$install/lumora.ini"
# The demo machine has a modem, as the setup wizard leaves it for a customer who already has an
# account (start-up mode 0: the connect button dials); every dial is answered by the prefix's
# simulated provider (README: Dialling on Linux). The provider's phonebook entry is written by
# the browser center itself from its settings when the settings page is stored, with the
# custom-dial library Ardial32 registered for it.
printf '%s\r\n' REGEDIT4 '' \
  '[HKEY_LOCAL_MACHINE\System\Lumora\RasDevices]' '"Simuliertes Modem"="modem"' '' \
  '[HKEY_CURRENT_USER\Software\lumora]' '"StartupMode"="0"' > "$install/demo-machine.reg"
build/linux/bin/regedit /s "$install/demo-machine.reg"
program=$install/lumora

if [ -z "${DISPLAY:-}" ]; then
  shots=$PWD/build/demo/screenshots
  mkdir -p "$shots"
  display=:$((100 + RANDOM % 400))
  Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  export DISPLAY=$display
  sleep 1
  "$program" "$@" &
  app=$!
  for i in 1 2 3; do
    sleep 4
    kill -0 "$app" 2>/dev/null || break
    import -window root "$shots/screen-$i.png" 2>/dev/null && echo "screenshot: $shots/screen-$i.png"
  done
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  echo "No display: ran under Xvfb; screenshots are in $shots (open them with any image viewer)"
else
  exec "$program" "$@"
fi
