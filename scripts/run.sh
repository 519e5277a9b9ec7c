#!/usr/bin/env bash
# Builds the Linux target and starts the browser center on the default provider content, in a demo
# prefix (build/demo/prefix, an emulated machine of its own) and a demo installation folder
# (build/demo/install: the program, its libraries and the packed default content). Arguments are
# passed to the program. Without a display it runs under Xvfb and saves screenshots to
# build/demo/screenshots. With --update-demo (not passed on) the run under Xvfb connects through the
# simulated provider and takes screenshots while the update queue fetches the demo's updates.
# With --old-browser-control (not passed on) the demo machine's web browser control is one too old
# for the pages, so the program runs with plain dialogs instead.
set -u
cd "$(dirname "$0")/.."
source scripts/deps.sh
lumora_install_packages "${LUMORA_LINUX_PACKAGES[@]}" imagemagick || {
  echo "error: could not install the packages the build needs" >&2; exit 1; }
# With --wizard (not passed on) the setup wizard runs instead, on a fresh demo machine of its own
# (build/demo/wizard-prefix, emulating Windows 98 unless LUMORA_WIZARD_WINDOWS names 95, NT4 or
# 2000) from build/demo/wizard: the program with the demo provider's block appended and the helper
# stand-ins beside it. The demo machine has a simulated modem on COM3 (modemsim on a
# pseudo-terminal) and an ISDN card among its dial devices. Without a display it runs under Xvfb,
# presses Enter (the default button) between pages and saves a screenshot of each to
# build/demo/wizard-screenshots; on the way it chooses the device itself and installs a modem with
# the device list's "Modem-Assistent" (the mdm stand-in).
# With --wizard-nodes instead, the wizard reads the demo's second configuration (nodes.ovb, "-f"),
# which adds the dial-in node and region pages; it runs from an installation medium folder
# (build/demo/wizard/medium) holding the configuration and the phonebook, as a provider's CD would.
if [ "${1:-}" = "--wizard" ] || [ "${1:-}" = "--wizard-nodes" ]; then
  variant=$1
  shift
  # Only what the wizard needs: the program (its block appended), the stand-ins, regedit.
  cmake --preset linux >/dev/null &&
    cmake --build --preset linux --target Orvane wizard_standins regedit modemsim modcfg || exit 1
  export LUMORA_PREFIX=$PWD/build/demo/wizard-prefix
  rm -rf "$LUMORA_PREFIX"
  install=$PWD/build/demo/wizard
  rm -rf "$install"
  mkdir -p "$install"
  cp build/linux/bin/orvane build/linux/bin/lib*.so build/linux/bin/cm_32 build/linux/bin/clear \
     build/linux/bin/rbtnt build/linux/bin/BR_32_IE build/linux/bin/BR_32_NC build/linux/bin/Wizard.ico \
     build/linux/bin/regedit build/linux/bin/modcfg build/linux/bin/mdm deploy/wizard/mdm.reg deploy/wizard/isdndevs.dat \
     deploy/wizard/lumora.pbr deploy/wizard/lumora.pbk "$install"/
  printf '114 = "1"\n' > "$install/orvane.strings"  # the trace: build/demo/wizard/trace.txt
  # The licence texts the licence page shows, in the wizard's Windows-1252.
  for licence in ie_lic.txt nc_lic.txt; do
    iconv -f UTF-8 -t WINDOWS-1252 "deploy/wizard/$licence" > "$install/$licence"
  done
  # The shipped program carries no "BG" picture, so its background window shows the blue
  # gradient; LUMORA_WIZARD_PICTURE=1 gives it the demo's background picture as that resource (a
  # Linux program's bitmap resource is a .bmp beside it), which shows the configured picture.
  if [ "${LUMORA_WIZARD_PICTURE:-0}" = 1 ]; then
    cp build/linux/deploy/wizard/background.bmp "$install/orvane.BG.bmp"
  fi
  # The emulated system, and an ISDN card the dial-up engine lists beside the modems.
  printf '%s\r\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\System\Lumora]' \
    "\"WindowsVersion\"=\"${LUMORA_WIZARD_WINDOWS:-98}\"" '' '[HKEY_LOCAL_MACHINE\System\Lumora\RasDevices]' \
    '"ISDN-Karte PCI"="isdn"' > "$install/machine.reg"
  build/linux/bin/regedit /s "$install/machine.reg"
  # The modem: a simulated one on COM3 of the demo machine, gone again with the demo.
  build/linux/bin/modemsim --answer ok --prefix "$LUMORA_PREFIX" --port 3 &
  modemsim=$!
  trap 'kill $modemsim 2>/dev/null' EXIT
  root=$PWD
  cd "$install"
  program=./orvane
  if [ "$variant" = "--wizard-nodes" ]; then
    # The medium: the configuration, the phonebook and the files the pages read from the current
    # folder; the medium names its phonebook in the variables file ("kundek").
    mkdir medium
    cp "$root/build/linux/bin/nodes.ovb" mdm.reg isdndevs.dat lumora.pbr lumora.pbk ie_lic.txt nc_lic.txt medium/
    mkdir -p "$LUMORA_PREFIX/windows"
    printf '[variables]\r\nkundek=lumora\r\n' > "$LUMORA_PREFIX/windows/lumora.dat"
    cd medium
    program=../orvane
    set -- -f nodes.ovb -p 00 "$@"
  fi
  if [ -z "${DISPLAY:-}" ]; then
    shots=$root/build/demo/wizard-screenshots
    mkdir -p "$shots"
    rm -f "$shots"/page-*.png
    # A display number no other server holds (other runs may share this machine).
    number=$((100 + RANDOM % 400))
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    display=:$number
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb $modemsim 2>/dev/null' EXIT
    export DISPLAY=$display
    sleep 1
    "$program" "$@" &
    app=$!
    checked=0 modem=none
    for i in $(seq 22); do
      sleep 2
      kill -0 "$app" 2>/dev/null || break
      import -window root "$shots/page-$i.png" 2>/dev/null && echo "screenshot: $shots/page-$i.png"
      page=$(grep -E ' page [0-9]+ \(index [0-9]+\) shown$' trace.txt 2>/dev/null | tail -1 | cut -d' ' -f3)
      sleep 1  # a page that has just come is in place before its keys
      keys=Return
      case "$page" in
        # The system check goes on by itself once its helper has finished.
        131) [ "$checked" = 1 ] && keys=; checked=1 ;;
        # So does the progress page once its installer has finished.
        139) keys= ;;
        # The node page enables Next only with a node chosen: the arrow key chooses one.
        134) keys="Down Return" ;;
        # The device choice: "Gerät selbst auswählen", so that the device list follows.
        133) keys="alt+s Return" ;;
        # The device list: first "Modem-Assistent" (the wizard hides while the modem
        # installation's dialog shows), then its OK (the port preset), then the new modem chosen.
        135) case "$modem" in
               none) keys="Tab Tab Return"; modem=dialog ;;
               dialog) modem=installed ;;
               *) keys="Home Return" ;;
             esac ;;
      esac
      [ -n "$keys" ] && xdotool key $keys 2>/dev/null
    done
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    echo "No display: ran under Xvfb; screenshots are in $shots"
  else
    "$program" "$@"
  fi
  echo "trace: $PWD/trace.txt; variables file: $LUMORA_PREFIX/windows/lumora.dat (removed by the clean-up stand-in after a cancel)"
  exit 0
fi

cmake --preset linux >/dev/null && cmake --build --preset linux || exit 1

update_demo=0 old_control=0
if [ "${1:-}" = "--update-demo" ]; then update_demo=1; shift; fi
if [ "${1:-}" = "--old-browser-control" ]; then old_control=1; shift; fi

# The update demo runs on a machine of its own, made anew each time, so that its outside dial meets
# a plain phonebook entry (the browser center's settings page registers the custom-dial library for
# the entry of the ordinary demo machine).
# The machine with the old browser control is made anew each time too: no dial device is recorded
# on it, so its run starts with the configuration page.
if [ "$update_demo" = 1 ]; then
  export LUMORA_PREFIX=${LUMORA_PREFIX:-$PWD/build/demo/update-prefix}
  rm -rf "$LUMORA_PREFIX"
elif [ "$old_control" = 1 ]; then
  export LUMORA_PREFIX=${LUMORA_PREFIX:-$PWD/build/demo/old-control-prefix}
  rm -rf "$LUMORA_PREFIX"
else
  export LUMORA_PREFIX=${LUMORA_PREFIX:-$PWD/build/demo/prefix}
fi
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
# tnupdate is the updater the update queue starts from the program folder.
cp build/linux/bin/lumora build/linux/bin/lib*.so build/linux/bin/rasman build/linux/bin/tnupdate \
  build/linux/bin/defhtml.dat build/linux/bin/config.dat "$install"/
# The provider's signup file, applied on the first start of a machine (afterwards its registry says
# "Installed" = "1"; a new demo prefix starts over).
cp deploy/lumora.tni "$install"/
# The program's icon and its entry for the desktop's menus.
cp deploy/icon/lumora.png deploy/icon/lumora.desktop "$install"/
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
if [ "$old_control" = 1 ]; then
  printf '%s\r\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer]' \
    '"Version"="4.71.1712.6"' > "$install/old-control.reg"
  build/linux/bin/regedit /s "$install/old-control.reg"
fi

# The update server: the list of deploy/update and the archives it names, under the lower-case
# paths the updater asks for, served by the test HTTP server on loopback. The updater reaches it
# through the proxy of the prefix's Internet settings; the update base URL (string 104) names it
# too, in the program's .strings file, which also shortens the queue interval (115) and switches
# the trace on (114, build/demo/install/trace.txt).
served=$PWD/build/demo/update-server
rm -rf "$served"
mkdir -p "$served/update/lumora" "$served/skin"
cp -r deploy/defhtml/. deploy/update/defhtml/. "$served/skin"/
build/linux/bin/packdat "$served/skin" "$served/update/lumora/defhtml.dat" >/dev/null || exit 1
cp build/linux/bin/config.dat deploy/update/update.ini "$served/update/lumora"/
coproc httpd { exec build/linux/bin/testhttpd --address 127.0.0.1 "$served"; }
read -r -u "${httpd[0]}" base_url || { echo "error: the update server did not start" >&2; exit 1; }
httpd_pid=$httpd_PID
trap 'kill $httpd_pid 2>/dev/null' EXIT
hostport=${base_url#http://}; hostport=${hostport%/}
printf '%s\n' "104 = \"${base_url}update/\"" '114 = "1"' '115 = "2"' > "$install/lumora.strings"
# The recorded versions are those of the shipped files, older than the server's; the updater's
# proxy is the update server.
printf '%s\r\n' REGEDIT4 '' \
  '[HKEY_CURRENT_USER\Software\lumora\Updates]' '"defhtml.dat"="1"' '"config.dat"="1"' '' \
  '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings]' \
  '"ProxyEnable"=dword:00000001' "\"ProxyServer\"=\"$hostport\"" > "$install/demo-update.reg"
build/linux/bin/regedit /s "$install/demo-update.reg"
echo "update server: $base_url (serving $served)"
if [ "$update_demo" = 1 ]; then
  build/linux/bin/rasdial "Lumora Online" "/create:+49 (1805) 5550100" "/device:Simuliertes Modem" >/dev/null || exit 1
  # The entry stays plain only if the first start applies no signup file: applying one registers
  # the custom-dial library for the entry too, and the outside dial would wait for a customer.
  printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\lumora]' '"Installed"="1"' \
    > "$install/demo-branded.reg"
  build/linux/bin/regedit /s "$install/demo-branded.reg"
fi
program=$install/lumora

if [ -z "${DISPLAY:-}" ]; then
  shots=$PWD/build/demo/screenshots
  mkdir -p "$shots"
  rm -f "$shots"/screen-*.png
  display=:$((100 + RANDOM % 400))
  Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb $httpd_pid 2>/dev/null' EXIT
  export DISPLAY=$display
  sleep 1
  "$program" "$@" &
  app=$!
  shots_count=3 pause=4
  if [ "$update_demo" = 1 ]; then
    # Connected from outside, as another program would: the window follows within a second and
    # the update check starts.
    sleep 4
    build/linux/bin/rasdial "Lumora Online" >/dev/null 2>&1 &
    shots_count=14 pause=2
  fi
  for i in $(seq "$shots_count"); do
    sleep "$pause"
    kill -0 "$app" 2>/dev/null || break
    import -window root "$shots/screen-$i.png" 2>/dev/null && echo "screenshot: $shots/screen-$i.png"
  done
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  if [ "$update_demo" = 1 ]; then
    build/linux/bin/rasdial "Lumora Online" /disconnect >/dev/null 2>&1
    echo "recorded versions:"
    build/linux/bin/regedit /e "$install/versions.reg" 'HKEY_CURRENT_USER\Software\lumora\Updates'
    tr -d '\r' < "$install/versions.reg"
  fi
  echo "No display: ran under Xvfb; screenshots are in $shots (open them with any image viewer)"
else
  "$program" "$@"
fi
