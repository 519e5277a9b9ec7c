#!/usr/bin/env bash
# Runs GoogleTest binaries under Wine: 64-bit Wine for the x86_64 test build, 32-bit Wine in a
# 32-bit Wine prefix for the shipped i686 build (--i686). A Wine prefix of its own for this run, one
# Xvfb, and wineserver stopped at the end. Prints each binary's output, then "PASSED FAILED" as its
# last line.
# Usage: scripts/wine-tests.sh [--i686] BINDIR NAME...
set -u
export WINEPREFIX WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$1" = --i686 ]; then
  shift
  wine=/usr/lib/wine/wine
  wineserver=/usr/lib/wine/wineserver32
  WINEARCH=win32
else
  wine=/usr/lib/wine/wine64
  wineserver=/usr/lib/wine/wineserver64
  WINEARCH=win64
fi
[ -x "$wineserver" ] || wineserver=wineserver
bindir=$1; shift

WINEPREFIX=$(mktemp -d /tmp/lumora-wine-XXXXXX)
results=$(mktemp -d /tmp/lumora-wine-results-XXXXXX)

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display

cleanup() {
  "$wineserver" -k >/dev/null 2>&1
  kill "$xvfb" 2>/dev/null
  rm -rf "$WINEPREFIX" "$results"
}
trap cleanup EXIT

"$wine" wineboot -i >/dev/null 2>&1

passed=0 failed=0
for name in "$@"; do
  xml="$results/$name.xml"
  (cd "$bindir" && timeout 900 "$wine" "./$name.exe" --gtest_output="xml:$(basename "$xml")" >&2)
  mv "$bindir/$(basename "$xml")" "$xml" 2>/dev/null
  if [ -f "$xml" ]; then
    tests=$(grep -m1 -o '<testsuites tests="[0-9]*"' "$xml" | grep -o '[0-9]*')
    fails=$(grep -m1 -o '<testsuites[^>]* failures="[0-9]*"' "$xml" | grep -o 'failures="[0-9]*"' | grep -o '[0-9]*')
    disabled=$(grep -m1 -o '<testsuites[^>]* disabled="[0-9]*"' "$xml" | grep -o 'disabled="[0-9]*"' | grep -o '[0-9]*')
    errors=$(grep -m1 -o '<testsuites[^>]* errors="[0-9]*"' "$xml" | grep -o 'errors="[0-9]*"' | grep -o '[0-9]*')
    skipped=$(grep -c '<skipped' "$xml")
    run=$((tests - ${disabled:-0}))
    bad=$((${fails:-0} + ${errors:-0}))
    passed=$((passed + run - bad - skipped))
    failed=$((failed + bad))
  else
    echo "$name: no test report (crashed or did not start)" >&2
    failed=$((failed + 1))
  fi
done
echo "$passed $failed"
