#!/bin/bash
# reload_rss.sh [SCALE] [RELOADS]: runs the program on the demo EPG folder
# written SCALE times over (default 10), then forces RELOADS full reloads
# (default 25: every file touched, then the reload signal), and prints the
# resident set after the first load and after each fifth reload.
# Run from the build folder's parent or give BIN=<build>/bin.
set -euo pipefail
scale=${1:-10}
reloads=${2:-25}
bin=${BIN:-$(cd "$(dirname "$0")/../.." && pwd)/build/bin}
home=$(mktemp -d /tmp/plimod-rss.XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$home"' EXIT
mkdir -p "$home/epg"
"$bin/epgwriter" --demo "$home/epg" --scale "$scale" >/dev/null
cp -f "$bin/EpgDataCap2.so" "$home/"
{
  printf '\xff\xfe'
  printf '[SYSTEM]\nLOG=1\nEPGDATAFOLDER=%s/epg/\nHTTPPORT=0\n%b' "$home" "${EXTRA_SETTINGS:-}" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
} > "$home/plimo.ini"
export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
"$bin/plimod" > "$home/out.txt" 2>&1 &
pid=$!
rss() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status"; }
# A load is over when the program has used no CPU for two seconds (the log
# cannot tell: it is cut short as it grows).
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
wait_for_load() {
  local last=-1 still=0 now
  sleep 1
  for _ in $(seq 3000); do
    now=$(cpu)
    if [ "$now" -eq "$last" ]; then
      still=$(( still + 1 ))
      [ "$still" -ge 20 ] && return 0
    else
      still=0
    fi
    last=$now
    sleep 0.1
  done
  echo "reload_rss: the load did not finish" >&2
  exit 1
}
wait_for_load
first=$(rss)
echo "scale $scale: resident set after the first load $first MiB"
for i in $(seq "$reloads"); do
  touch "$home/epg/"*
  kill -HUP "$pid"
  wait_for_load
  if [ "$i" -eq 1 ] || [ $(( i % 5 )) -eq 0 ]; then
    now=$(rss)
    echo "  after $i reloads $now MiB ($(awk -v a="$now" -v b="$first" 'BEGIN {printf "%.2f", a / b}')x)"
  fi
done
if [ -n "${SMAPS:-}" ]; then
  # The largest resident mappings, to tell the heap from thread arenas.
  awk '/^[0-9a-f]+-[0-9a-f]+ / {name = $6 == "" ? "[anon]" : $6} /^Rss:/ {rss[name] += $2}
       END {for (n in rss) if (rss[n] > 2048) printf "  %-40s %.1f MiB\n", n, rss[n] / 1024}' "/proc/$pid/smaps"
fi
