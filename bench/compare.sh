#!/usr/bin/env bash
# Load + expand the same generated calendars through OrvCalendar, libical
# and python-icalendar, and print the time ratios.
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
printf "%-8s %12s %12s %12s %12s %12s %9s %9s\n" events occurrences orv_s libical_s python_s occ_check libical/orv python/orv
for n in ${ORV_BENCH_SIZES:-1000 10000 50000}; do
  f=$DATA/cal-$n.ics
  [ -f "$f" ] || "$BIN/orvgen" "$n" "$f"
  orv=$("$BIN/orv_expand" "$f")
  lib=$("$BIN/libical_expand" "$f")
  py=$(/usr/bin/python3 bench/icalendar_expand.py "$f")
  to=$(echo "$orv" | field seconds); tl=$(echo "$lib" | field seconds); tp=$(echo "$py" | field seconds)
  oo=$(echo "$orv" | field occurrences); ol=$(echo "$lib" | field occurrences); op=$(echo "$py" | field occurrences)
  check="same"; { [ "$oo" = "$ol" ] && [ "$oo" = "$op" ]; } || check="$ol/$op"
  printf "%-8s %12s %12s %12s %12s %12s %9.2f %9.2f\n" "$n" "$oo" "$to" "$tl" "$tp" "$check" \
    "$(awk -v a="$tl" -v b="$to" 'BEGIN{print a/b}')" "$(awk -v a="$tp" -v b="$to" 'BEGIN{print a/b}')"
done
