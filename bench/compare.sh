#!/usr/bin/env bash
# Load + expand the same generated calendars through OrvCalendar, libical
# and python-icalendar, and print the time ratios.
#
# Occurrence columns: "orv" is OrvCalendar's whole occurrence list, "after"
# the part of it that rules with UNTIL put after the horizon (OrvCalendar
# expands such a rule up to UNTIL; the other two harnesses stop every rule
# at the horizon). "check" is "same" when orv - after equals both libical's
# and python's counts.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
BUILD=${ORV_BENCH_BUILD:-build-bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_BENCH=ON -DORV_BUILD_GUI=OFF >/dev/null
ninja -C "$BUILD" -j"$(nproc)" orvgen libical_expand orv_expand >/dev/null
BIN=$BUILD/bin
DATA=$BUILD/bench-data
mkdir -p "$DATA"
field() { sed -n "s/.* $1 \([0-9.]*\).*/\1/p"; }
printf "%-8s %8s %6s %8s %8s %-6s %10s %10s %10s %11s %10s\n" events orv after libical python check \
  orv_s libical_s python_s libical/orv python/orv
for n in ${ORV_BENCH_SIZES:-1000 10000 50000}; do
  f=$DATA/cal-$n.ics
  [ -f "$f" ] || "$BIN/orvgen" "$n" "$f"
  orv=$("$BIN/orv_expand" "$f")
  lib=$("$BIN/libical_expand" "$f")
  py=$(/usr/bin/python3 bench/icalendar_expand.py "$f")
  to=$(echo "$orv" | field seconds); tl=$(echo "$lib" | field seconds); tp=$(echo "$py" | field seconds)
  oo=$(echo "$orv" | field occurrences); ob=$(echo "$orv" | field beyond_horizon)
  ol=$(echo "$lib" | field occurrences); op=$(echo "$py" | field occurrences)
  check="same"; { [ $((oo - ob)) = "$ol" ] && [ "$ol" = "$op" ]; } || check="DIFF"
  printf "%-8s %8s %6s %8s %8s %-6s %10s %10s %10s %11.2f %10.2f\n" "$n" "$oo" "$ob" "$ol" "$op" "$check" \
    "$to" "$tl" "$tp" \
    "$(awk -v a="$tl" -v b="$to" 'BEGIN{print a/b}')" "$(awk -v a="$tp" -v b="$to" 'BEGIN{print a/b}')"
done
