#!/usr/bin/env bash
# Installs what is missing, builds both targets (warnings as errors) and runs every test: the Linux
# tests with CTest, the Windows test binaries under 64-bit Wine and, where the machine can execute
# 32-bit code, the shipped i686 ones under 32-bit Wine. Ends with one summary line per run and exits
# non-zero when anything failed.
set -u
cd "$(dirname "$0")/.."
source scripts/deps.sh

lumora_install_packages "${LUMORA_LINUX_PACKAGES[@]}" "${LUMORA_WINDOWS_PACKAGES[@]}" || {
  echo "error: could not install the packages the build needs" >&2; exit 1; }
lumora_install_wine32

# Compiled objects are kept between runs on the same machine (ccache), so a second run rebuilds only
# what changed.
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

status=0
build() {  # build PRESET
  echo "== build $1"
  cmake --preset "$1" -DLUMORA_WERROR=ON >/dev/null && cmake --build --preset "$1"
}

ctest_summary() {  # ctest_summary LOG: prints "PASSED FAILED" from a CTest log
  local summary failed total
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  [ -n "$summary" ] || { echo "0 1"; return; }
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  echo "$((total - failed)) $failed"
}

# The Linux tests drive real windows, processes and timers on a machine that runs other work too.
# Failed tests run once more; one that passes then counts as passed but is named in the summary, as
# a test to be made robust (or a race to be found), so that it is never passed over in silence.
second_try_passes=$(mktemp)

ctest_counts() {  # ctest_counts [CTEST ARGS]: runs the Linux tests, prints "PASSED FAILED" last
  local log passed failed again
  log=$(mktemp)
  ctest --preset linux "$@" 2>&1 | tee "$log" >&2
  read -r passed failed < <(ctest_summary "$log")
  if [ "$failed" -gt 0 ] && grep -q 'The following tests FAILED' "$log"; then
    echo "== the $failed failed test(s) once more" >&2
    again=$(mktemp)
    ctest --preset linux --rerun-failed --output-on-failure "$@" 2>&1 | tee "$again" >&2
    read -r _ still < <(ctest_summary "$again")
    if [ "$still" -lt "$failed" ]; then
      # The names of the first run's failures that the second run did not list as failed.
      while read -r name; do
        grep -qE "[0-9]+ - $name \(" <(sed -n '/The following tests FAILED/,$p' "$again") ||
          echo "$name" >>"$second_try_passes"
      done < <(sed -n '/The following tests FAILED/,$p' "$log" | sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) .*/\1/p')
      passed=$((passed + failed - still))
      failed=$still
    fi
    rm -f "$again"
  fi
  rm -f "$log"
  echo "$passed $failed"
}

linux_passed=0 linux_failed=0
if build linux; then
  echo "== test linux"
  # The extender scripts under Wine need the Wine build; they run after it and count there.
  read -r linux_passed linux_failed < <(ctest_counts -E UnderWine)
else
  linux_failed=1
fi

# Each fuzz target for a few seconds, so that they are known to build and run; a target that
# finds something fails. Counted with the Linux tests.
echo "== fuzz (smoke run)"
log=$(mktemp)
scripts/fuzz.sh 3 | tee "$log"
fuzz_summary=$(tail -n 1 "$log")
rm -f "$log"
if [[ "$fuzz_summary" =~ ^fuzz:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
  linux_passed=$((linux_passed + BASH_REMATCH[1]))
  linux_failed=$((linux_failed + BASH_REMATCH[2]))
else
  linux_failed=$((linux_failed + 1))
fi

wine_tests() {  # wine_tests BUILDDIR [--i686]: runs that build's test binaries, prints "PASSED FAILED"
  local dir=$1 binaries passed failed
  shift
  read -r -a binaries < <(tr ';' ' ' < "$dir/windows-tests.txt")
  read -r passed failed < <(scripts/wine-tests.sh "$@" "$dir/bin" "${binaries[@]}" | tail -n 1)
  echo "${passed:-0} ${failed:-1}"  # no counts: the run itself broke
}

windows_passed=0 windows_failed=0
i686_passed=0 i686_failed=0
windows_built=0
build windows && windows_built=1 || windows_failed=$((windows_failed + 1))
wine_tests_built=0
build wine-tests && wine_tests_built=1 || windows_failed=$((windows_failed + 1))
# The two Wine runs share nothing (Wine prefixes, wineservers, displays and ports are their own)
# and wait mostly on the tests' time-outs, so they run side by side; the i686 run's output follows
# the other's.
i686_counts=$(mktemp) i686_log=$(mktemp)
if [ "$windows_built" -eq 0 ]; then
  echo "0 1" >"$i686_counts"
elif [ -n "$LUMORA_WINE32_MISSING" ]; then
  echo "0 0" >"$i686_counts"
else
  wine_tests build/windows --i686 >"$i686_counts" 2>"$i686_log" &
fi
if [ "$wine_tests_built" -eq 1 ]; then
  echo "== test windows (Wine)"
  read -r windows_passed failed < <(wine_tests build/wine-tests)
  windows_failed=$((windows_failed + failed))
  # The extender's scripts run by the Windows pollex under Wine, from the Linux test binary that
  # starts the servers.
  echo "== test windows extender scripts (Wine)"
  read -r passed failed < <(ctest_counts -R UnderWine)
  windows_passed=$((windows_passed + passed))
  windows_failed=$((windows_failed + failed))
fi
wait
if [ -z "$LUMORA_WINE32_MISSING" ] && [ "$windows_built" -eq 1 ]; then
  echo "== test windows-i686 (32-bit Wine)"
  cat "$i686_log" >&2
fi
read -r i686_passed i686_failed <"$i686_counts"
rm -f "$i686_counts" "$i686_log"
if [ "$windows_built" -eq 1 ]; then
  echo "== test windows-i686 (the shipped custom-dial library)"
  read -r passed failed < <(scripts/ardial32-tests.sh build/windows/bin | tail -n 1)
  i686_passed=$((i686_passed + passed))
  i686_failed=$((i686_failed + failed))
fi

[ "$linux_failed" -eq 0 ] && [ "$windows_failed" -eq 0 ] && [ "$i686_failed" -eq 0 ] || status=1
echo "linux: $linux_passed passed, $linux_failed failed"
[ -s "$second_try_passes" ] &&
  echo "linux: passed only when run a second time: $(tr '\n' ' ' <"$second_try_passes")"
rm -f "$second_try_passes"
echo "windows: $windows_passed passed, $windows_failed failed"
if [ -n "$LUMORA_WINE32_MISSING" ]; then
  echo "windows-i686: not run: $LUMORA_WINE32_MISSING"
else
  echo "windows-i686: $i686_passed passed, $i686_failed failed"
fi
exit $status
