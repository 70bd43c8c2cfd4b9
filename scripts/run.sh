#!/usr/bin/env bash
# Installs what is missing, builds the application and the local portal
# service, starts the service with demo data and the application against it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${ORV_BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C "$BUILD" -j"$(nproc)"
BIN=$PWD/$BUILD/bin
DATA=${ORV_DATA:-$PWD/run}
mkdir -p "$DATA"
PORT=${ORV_PORT:-8765}

"$BIN/orvportal" --db "$DATA/portal.db" --port "$PORT" --seed-demo > "$DATA/orvportal.log" 2>&1 &
PORTAL=$!
trap 'kill $PORTAL 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q "listening" "$DATA/orvportal.log" 2>/dev/null && break
  sleep 0.1
done

if [ ! -x "$BIN/orvcalendar" ]; then
  # Without the desktop application, show the sample calendar on the console.
  "$BIN/orvcal" stat samples/demo.ics
  exec "$BIN/orvcal" occurrences samples/demo.ics
fi
# The application keeps its database, calendar and layout storage in its
# working directory; the configuration lives beside the executable.
cp -f "$BIN/OrvCalendar.znc" "$DATA/" 2>/dev/null || true
cd "$DATA"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  xvfb-run -a "$BIN/orvcalendar" "$@"
else
  "$BIN/orvcalendar" "$@"
fi
