#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang with libFuzzer and the address and
# undefined-behaviour sanitizers) and runs each for SECONDS (default 600) on its corpus in
# build/fuzz/corpus/<target>, seeded by fuzz_seeds and by the regression inputs in
# fuzz/regressions/<target>. Inputs that break a target are kept as build/fuzz/findings/<target>-*.
# Ends with one line "fuzz: P passed, F failed" and exits non-zero when a target failed.
#   scripts/fuzz.sh [SECONDS]
set -u
cd "$(dirname "$0")/.."
seconds=${1:-600}
source scripts/deps.sh
lumora_install_packages "${LUMORA_LINUX_PACKAGES[@]}" "${LUMORA_FUZZ_PACKAGES[@]}" || {
  echo "error: could not install the packages the fuzz build needs" >&2; exit 1; }

echo "== build fuzz"
if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz --target fuzzers; }; then
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi
bin=build/fuzz/bin
corpus=build/fuzz/corpus
findings=build/fuzz/findings
seeds=$(mktemp -d)
"$bin/fuzz_seeds" "$seeds" || { echo "fuzz: 0 passed, 1 failed"; exit 1; }
mkdir -p "$findings"

passed=0 failed=0
for fuzzer in "$bin"/fuzz_*; do
  name=${fuzzer##*/fuzz_}
  [ "$name" = seeds ] && continue
  mkdir -p "$corpus/$name"
  inputs=("$corpus/$name")
  [ -d "$seeds/$name" ] && inputs+=("$seeds/$name")
  [ -d "fuzz/regressions/$name" ] && inputs+=("fuzz/regressions/$name")
  echo "== fuzz $name (${seconds}s)"
  # New inputs go to the first folder, the corpus kept between runs.
  if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/$name-" "${inputs[@]}" >"$findings/$name.log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::number_of_executed_units|^Done' "$findings/$name.log" | tr '\n' ' '; echo
  else
    failed=$((failed + 1))
    tail -n 40 "$findings/$name.log"
  fi
done
rm -rf "$seeds"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
