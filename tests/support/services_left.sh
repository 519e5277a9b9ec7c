#!/bin/sh
# Runs last in the suite: no service that a test prefix started (a prefix's bus shell
# "lumora-bus", its dbus-daemon, rasman) may still run. The tests' processes and what they start
# inherit LUMORA_TEST_RUN=RUN, which tells this suite's services from those of other runs on the
# machine. The services of the last tests get a few seconds to end.
# Usage: services_left.sh RUN
run=$1
left() {
  for environ in $(grep -lxzF "LUMORA_TEST_RUN=$run" /proc/[0-9]*/environ 2>/dev/null); do
    dir=${environ%/environ}
    comm=$(cat "$dir/comm" 2>/dev/null)
    args=$(tr '\0' ' ' 2>/dev/null <"$dir/cmdline")
    case "$comm:$args" in
      *" lumora-bus "*) kind=lumora-bus ;;
      rasman:* | dbus-daemon:*) kind=$comm ;;
      *) continue ;;
    esac
    prefix=$(tr '\0' '\n' 2>/dev/null <"$environ" | sed -n 's/^LUMORA_PREFIX=//p')
    echo "${dir#/proc/} $kind (prefix ${prefix:-default})"
  done
}
n=0
while [ -n "$(left)" ] && [ $n -lt 20 ]; do sleep 0.5; n=$((n + 1)); done
found=$(left)
[ -z "$found" ] && exit 0
echo "services of test prefixes still running at the end of the suite:"
echo "$found"
exit 1
