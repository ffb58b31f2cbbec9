#!/usr/bin/env bash
# Starts the built plimod in the foreground on demo data, in a home folder of
# its own (demo-home/), made on first use:
#   demo-home/epg/        EPG data files made by epgwriter --demo
#   demo-home/plimo.ini   settings (UTF-16LE with BOM, CR LF): log on, the
#                         data folder above and five saved search conditions
#   demo-home/EpgDataCap2.so, demo-home/public_html/   beside the program
#   demo-home/recorder/   the recorder's settings file (two terrestrial and
#                         two BS/CS tuners); the recorder itself is a stand-in,
#                         the test reservation server fake_epgtimersrv, which
#                         keeps the reservations there in Reserve.txt
# While the program runs, a second start asks it to reload its EPG data and
# leaves every file it uses alone. Arguments go to the program: the first,
# a number, is the seconds it waits before starting.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bin="$root/build/bin"
home="$root/demo-home"

for needed in plimod epgwriter EpgDataCap2.so fake_epgtimersrv; do
  if [ ! -e "$bin/$needed" ]; then
    echo "start-demo: $bin/$needed is missing; run scripts/demo.sh to build first" >&2
    exit 1
  fi
done

mkdir -p "$home/epg"
# The demo programmes cover eight days from the day they were made, so data
# older than a day are made afresh.
if [ -z "$(find "$home/epg" -name '*_epg.dat' -mtime -1 -print -quit)" ]; then
  rm -f "$home/epg/"*_epg.dat
  "$bin/epgwriter" --demo "$home/epg"
fi

# The program's single-instance name is an abstract socket: while it is
# bound, a start of the program only asks the running one to reload.
if grep -q ' @PLIMOMUTEX$' /proc/net/unix 2>/dev/null; then
  PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8 "$bin/plimod"
  echo "start-demo: plimod is already running: asked it to reload"
  exit 0
fi

# The module and the static files follow the build. A running program maps
# the module and reads the files, so they are written beside the old ones
# and renamed over them (the old ones stay whole for whoever still has
# them open), and left alone when unchanged.
if ! cmp -s "$bin/EpgDataCap2.so" "$home/EpgDataCap2.so"; then
  cp -f "$bin/EpgDataCap2.so" "$home/EpgDataCap2.so.new"
  mv -f "$home/EpgDataCap2.so.new" "$home/EpgDataCap2.so"
fi
if [ -d "$root/public_html" ] && ! diff -r -q "$root/public_html" "$home/public_html" >/dev/null 2>&1; then
  rm -rf "$home/public_html.new" "$home/public_html.old"
  cp -r "$root/public_html" "$home/public_html.new"
  if [ -e "$home/public_html" ]; then mv "$home/public_html" "$home/public_html.old"; fi
  mv "$home/public_html.new" "$home/public_html"
  rm -rf "$home/public_html.old"
fi

# The demo's saved search conditions find the demo programmes each in its
# own way (a word, either of two words, a genre, a genre at certain hours, a
# word drawn in a colour of its own), so that the front page, which shows
# their hits, is full; the hits carry the number of their condition.
demo_settings() {
  cat <<EOF
[SYSTEM]
LOG=1
EPGDATAFOLDER=$home/epg/
ADDCONDITIONNO=1
[EPGDATACAP]
ENABLE=1
SMALLLINK=1
EPGTIMEREXE=$home/recorder/EpgTimer_Bon.exe
PROGRAMTXT=$home/recorder/
[SEARCH_01]
ENABLE=1
WORD=相撲
SEARCH_TITLE=1
[SEARCH_02]
ENABLE=1
WORD=おはよう ごごナビ
SEARCH_TITLE=1
CH_B_MODE=0
CH_C_MODE=0
[SEARCH_03]
ENABLE=1
GENRE=アニメ・漫画
CH_B_MODE=0
CH_C_MODE=0
[SEARCH_04]
ENABLE=1
GENRE=映画
TIME=13,16
CH_B_MODE=0
CH_C_MODE=0
[SEARCH_05]
ENABLE=1
WORD=ミステリー
SEARCH_TITLE=1
CH_B_MODE=0
CH_C_MODE=0
DRAW_BGTYPE=1
DRAW_BGCOLOR=#ff9999
EOF
}

# Written on first use only: a demo folder the user already has keeps its
# settings (delete demo-home/ to start afresh).
if [ ! -f "$home/plimo.ini" ]; then
  {
    printf '\xff\xfe'
    demo_settings | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  } > "$home/plimo.ini.new"
  mv "$home/plimo.ini.new" "$home/plimo.ini"
fi

# The recorder's settings file tells the program which recorder it works
# with and how many tuners it has.
mkdir -p "$home/recorder"
if [ ! -f "$home/recorder/EpgTimerSrv.ini" ]; then
  printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n[BonDriver_S.dll]\r\nMode=1\r\nCount=2\r\n' \
    > "$home/recorder/EpgTimerSrv.ini"
fi

# The stand-in recorder listens on a socket in a folder of this demo (a
# short one under /tmp when the demo folder's path is too long for a
# socket), under names no other demo shares. It ends with the program and
# keeps its reservations in recorder/Reserve.txt, where the program's
# reservation form reads them (PROGRAMTXT), so they outlive a restart.
pipes="$home/pipe"
if [ ${#pipes} -gt 80 ]; then pipes=$(mktemp -d /tmp/plimod-demo.XXXXXX); fi
mkdir -p "$pipes"
export EPGTIMER_PIPE_DIR="$pipes" EPGTIMER_EVENT_PREFIX="plimoddemo.$$."
"$bin/fake_epgtimersrv" --parent $$ --folder "$home/recorder" > "$home/recorder/fake_epgtimersrv.out" 2>&1 &
recorder=$!
# Waited for until it says it is ready or ends; a busy machine may take a
# while to start it.
for _ in $(seq 1200); do
  grep -q '^ready' "$home/recorder/fake_epgtimersrv.out" 2>/dev/null && break
  kill -0 "$recorder" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q '^ready' "$home/recorder/fake_epgtimersrv.out"; then
  echo "start-demo: the stand-in recorder did not start:" >&2
  cat "$home/recorder/fake_epgtimersrv.out" >&2
  exit 1
fi

settings=$(iconv -f UTF-16LE -t UTF-8 "$home/plimo.ini" | tr -d '\r')
port=$(printf '%s\n' "$settings" | sed -n 's/^HTTPPORT=\([0-9][0-9]*\)$/\1/p;T;q')
[ -n "$port" ] && [ "$port" -gt 0 ] || port=18990

export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
echo "plimod is starting on the demo data in $home; Ctrl+C stops it."

# The program runs as a child of this shell, so that the addresses are
# printed only once it serves them: while another program holds the port,
# plimod runs without its server and the addresses would open that program.
"$bin/plimod" "$@" &
program=$!
trap 'kill -TERM "$program" 2>/dev/null || true' INT TERM HUP

# Its exit status. A signal to this shell (passed on by the trap) cuts the
# wait short; it is then taken up again until the program has ended.
wait_for_program() {
  local status
  while :; do
    status=0
    wait "$program" || status=$?
    if [ "$status" -le 128 ] || ! kill -0 "$program" 2>/dev/null; then return "$status"; fi
  done
}
stop_program() {
  kill -TERM "$program" 2>/dev/null || true
  wait_for_program || true
}
# The sockets (inodes) listening on TCP port $1, and whether process $1
# holds socket $2.
listeners() {
  awk -v port="$(printf ':%04X' "$1")" '$4 == "0A" && substr($2, length($2) - 4) == port { print $10 }' \
    /proc/net/tcp /proc/net/tcp6 2>/dev/null
}
# The program opens and closes files as it loads, so a descriptor may be
# gone by the time it is read: only the descriptors still there count.
holds_socket() {
  local links
  links=$(readlink "/proc/$1/fd/"* 2>/dev/null || true)
  grep -qx "socket:\[$2\]" <<<"$links"
}
# Whether process $1 catches SIGTERM: from then on it ends cleanly on it,
# and it starts its server right after.
catches_term() {
  local mask
  mask=$(awk '$1 == "SigCgt:" { print $2 }' "/proc/$1/status" 2>/dev/null)
  [ -n "$mask" ] && (((0x$mask >> 14) & 1))
}

# The first argument delays the start by that many seconds.
delay=0
if [[ ${1:-} =~ ^[0-9]{1,5} ]]; then delay=$((10#${BASH_REMATCH[0]})); fi
serving=no
for _ in $(seq $(((delay + 120) * 10))); do
  if ! kill -0 "$program" 2>/dev/null; then
    status=0
    wait_for_program || status=$?
    exit "$status"
  fi
  taken=no
  for socket in $(listeners "$port"); do
    if holds_socket "$program" "$socket"; then serving=yes; else taken=yes; fi
  done
  [ "$serving" = no ] || break
  if [ "$taken" = yes ] && catches_term "$program"; then
    echo "start-demo: port $port is taken by another program, so plimod cannot serve the demo; stopping it." >&2
    echo "start-demo: end that program, or give the demo another port (HTTPPORT in $home/plimo.ini)." >&2
    stop_program
    exit 1
  fi
  sleep 0.1
done
if [ "$serving" = no ]; then
  echo "start-demo: plimod did not start its server on port $port (see $home/lumo.log); stopping it." >&2
  stop_program
  exit 1
fi

echo "Open in a browser:"
echo "  http://127.0.0.1:$port/"
echo "      front page: the programmes the saved search conditions find, a table per day"
if [[ "$settings" != *"[SEARCH_"* ]]; then
  echo "      (this demo-home/ has no saved search conditions; delete it to start afresh)"
fi
echo "  http://127.0.0.1:$port/?mode=epg"
echo "      programme table: every channel of a band, hour by hour"
echo "      (its small \"e\" link reserves a programme in the stand-in recorder)"
status=0
wait_for_program || status=$?
exit "$status"
