#!/usr/bin/env bash
# Checks the shipped 32-bit custom-dial library (preset "windows"): its export table names exactly
# the five entry points, and, where this machine runs 32-bit Windows code under Wine, its test
# binary calls each of them through a standard-call pointer and checks the stack. Prints each
# check's output, then "PASSED FAILED" as its last line.
# Usage: scripts/ardial32-tests.sh BINDIR
set -u
bindir=$1
passed=0 failed=0

expected=$'RasCustomDial\nRasCustomDialDlg\nRasCustomEntryDlg\nRasCustomHangUp\nTNAutoDialHandlerA'
exports=$(i686-w64-mingw32-objdump -p "$bindir/Ardial32.dll" 2>/dev/null |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p')
if [ "$exports" = "$expected" ]; then
  echo "Ardial32.dll exports: $(tr '\n' ' ' <<<"$exports")"
  passed=$((passed + 1))
else
  echo "Ardial32.dll exports differ: got [$(tr '\n' ' ' <<<"$exports")]" >&2
  failed=$((failed + 1))
fi

wine=/usr/lib/wine/wine
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(mktemp -d /tmp/lumora-wine32-XXXXXX)
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
if [ -x "$wine" ] && timeout 300 "$wine" wineboot -i >/dev/null 2>&1; then
  log=$(cd "$bindir" && timeout 300 "$wine" ./ardial32_tests.exe 2>&1)
  echo "$log"
  if grep -q '^\[  PASSED  \] 1 test' <<<"$log" && ! grep -q '^\[  FAILED  \]' <<<"$log"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
else
  echo "32-bit Windows code does not run under Wine here: the stack check is left to the 64-bit run"
fi
echo "$passed $failed"
