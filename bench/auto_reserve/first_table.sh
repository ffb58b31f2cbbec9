#!/usr/bin/env bash
# Seconds from the start of the program to its first programme table with
# data, on the demo EPG data written SCALE times over (default 10), with the
# fake reservation server as recorder (keeping its reservations in a file,
# as the demo does), once with the automatic reservation's condition off
# and once with it on (it then reserves thousands of programmes on the
# first load): the difference is what the first pass costs the pages.
#   bash bench/auto_reserve/first_table.sh [BIN] [SCALE]
# Runs each case in a network namespace of its own (needs root for unshare).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
scale=${2:-10}
port=18991
base="http://127.0.0.1:$port"

if [ "${FIRST_TABLE_CASE:-}" = "" ]; then
  for needed in plimod epgwriter EpgDataCap2.so fake_epgtimersrv; do
    [ -e "$bin/$needed" ] || { echo "first_table: $bin/$needed is missing" >&2; exit 1; }
  done
  work=$(mktemp -d /tmp/plimod-first-table.XXXXXX)
  "$bin/epgwriter" --demo "$work/epg" --scale "$scale" >/dev/null
  echo "# programs: $bin, demo data x$scale"
  for case in off on; do
    FIRST_TABLE_CASE=$case FIRST_TABLE_WORK="$work" unshare -n bash "$0" "$bin" "$scale" || echo "$case: failed"
  done
  [ -n "${FIRST_TABLE_KEEP:-}" ] && echo "# kept: $work" || rm -rf "$work"
  exit 0
fi

ip link set lo up
home="$FIRST_TABLE_WORK/$FIRST_TABLE_CASE"
mkdir -p "$home/recorder" "$home/pipe"
export EPGTIMER_PIPE_DIR="$home/pipe" EPGTIMER_EVENT_PREFIX="firsttable.$FIRST_TABLE_CASE.$$."
export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
ln -s "$FIRST_TABLE_WORK/epg" "$home/epg"
cp "$bin/EpgDataCap2.so" "$home/"
cp -r "$root/public_html" "$home/public_html"
printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n[BonDriver_S.dll]\r\nMode=1\r\nCount=2\r\n' > "$home/recorder/EpgTimerSrv.ini"
enabled=$([ "$FIRST_TABLE_CASE" = on ] && echo 1 || echo 0)
{
  printf '\xff\xfe'
  {
    printf '[SYSTEM]\nLOG=1\nHTTPPORT=%s\nEPGDATAFOLDER=%s/epg/\n' "$port" "$home"
    printf '[EPGDATACAP]\nENABLE=1\nSMALLLINK=1\nEPGTIMEREXE=%s/recorder/EpgTimer_Bon.exe\n' "$home"
    printf 'AUTORESERVECOUNT=12\nAUTORESERVEDAYS=1\n'
    # Any character, two hours each (a search stops at 1000 hits): every
    # programme of the next day is a hit.
    for n in $(seq 12); do
      printf '[AUTORESERVE_%02d]\nENABLE=%s\nWORD=/./\nTIME=%d,%d\n' "$n" "$enabled" $((3 + 2 * n)) $((5 + 2 * n))
    done
  } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
} > "$home/plimo.ini"

srv=0 plimod=0
cleanup() {
  [ "$plimod" -gt 0 ] && kill -KILL "$plimod" 2>/dev/null
  [ "$srv" -gt 0 ] && kill -TERM "$srv" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
"$bin/fake_epgtimersrv" --folder "$home/recorder" > "$home/srv.out" 2>&1 &
srv=$!
for _ in $(seq 50); do grep -q '^ready' "$home/srv.out" && break; sleep 0.1; done

started=$(date +%s.%N)
"$bin/plimod" > "$home/plimod.out" 2>&1 &
plimod=$!
shown="none within 120"
until=$(( $(date +%s) + 120 ))
while [ "$(date +%s)" -lt "$until" ]; do
  if curl -s -o "$home/table" -e "$base/" --max-time 60 "$base/?mode=epg" && grep -q 'cmd=edc&sid=' "$home/table" &&
     ! grep -q '読み込み中' "$home/table"; then
    shown=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f s", b - a }')
    break
  fi
  sleep 0.05
done
# The pass goes on after the table; its reservations are counted once the
# server's file stops growing.
last=-1
for _ in $(seq 120); do
  count=$(grep -c . "$home/recorder/Reserve.txt" 2>/dev/null || echo 0)
  [ "$count" = "$last" ] && break
  last=$count
  sleep 1
done
printf '%-40s %s (%s reservations)\n' "condition $FIRST_TABLE_CASE: first table with data" "$shown" "$count"
