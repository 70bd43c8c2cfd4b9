#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan and runs each for a
# bounded time (ORV_FUZZ_SECONDS, default 60) over its seed corpus. Any
# crash, hang or leak fails the run; the reproducer lands in build-fuzz/.
# ORV_FUZZ_TARGETS (e.g. "fuzz_pairs fuzz_rrule") runs only those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${ORV_FUZZ_SECONDS:-60}
BUILD=${ORV_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORV_BUILD_FUZZ=ON -DORV_SANITIZE=ON -DORV_BUILD_GUI=OFF >/dev/null
targets=$(ninja -C "$BUILD" -t targets all | sed -n 's/^\(fuzz_[a-z]*\): .*/\1/p' | sort -u)
[ -z "${ORV_FUZZ_TARGETS:-}" ] || targets=$ORV_FUZZ_TARGETS
[ -n "$targets" ] || { echo "no fuzz targets"; exit 0; }
ninja -C "$BUILD" -j"$(nproc)" $targets
status=0
for t in $targets; do
  name=${t#fuzz_}
  work=$BUILD/fuzz-work/$name
  mkdir -p "$work"
  cp -n fuzz/corpus/$name/* "$work/" 2>/dev/null || true
  echo "== $t for ${SECONDS_EACH}s"
  if ! (cd "$BUILD" && "./bin/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=0 "fuzz-work/$name" 2>"fuzz-work/$name.log"); then
    echo "!! $t failed; see $BUILD/fuzz-work/$name.log"
    tail -40 "$BUILD/fuzz-work/$name.log"
    status=1
  fi
  grep -E '^Done [0-9]+ runs' "$BUILD/fuzz-work/$name.log" || true
done
exit $status
