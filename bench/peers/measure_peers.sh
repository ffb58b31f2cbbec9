#!/usr/bin/env bash
# Measures how the program fares when a peer is absent, slow or hung, on
# the demo data, and prints one line per figure (seconds):
#   bash bench/peers/measure_peers.sh [BIN]     BIN: built programs (build/bin)
# PEERS_CASES picks cases (absent slow calendar mail textfile); PEERS_KEEP=1
# keeps the homes (logs, bodies) for a look.
# Each case runs the program in a network namespace of its own (its own
# loopback, so its port and single-instance name meet no other run), with
# its own pipe folder and event prefix. Needs root for unshare, curl, iconv.
# The fakes come from BIN (reservation server, calendar service) and from
# tests/fakes (mail program, resident recorder).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
port=18990
base="http://127.0.0.1:$port"

if [ "${PEERS_CASE:-}" = "" ]; then
  for needed in plimod epgwriter EpgDataCap2.so fake_epgtimersrv fake_calendar; do
    [ -e "$bin/$needed" ] || { echo "measure_peers: $bin/$needed is missing" >&2; exit 1; }
  done
  work=$(mktemp -d /tmp/plimod-peers.XXXXXX)
  "$bin/epgwriter" --demo "$work/epg" >/dev/null
  echo "# programs: $bin"
  for case in ${PEERS_CASES:-absent slow calendar mail textfile}; do
    PEERS_CASE=$case PEERS_WORK="$work" unshare -n bash "$0" "$bin" || echo "$case: failed"
  done
  [ -n "${PEERS_KEEP:-}" ] && echo "# kept: $work" || rm -rf "$work"
  exit 0
fi

ip link set lo up
work="$PEERS_WORK"
home="$work/$PEERS_CASE"
mkdir -p "$home/recorder" "$home/pipe" "$home/mail"
export EPGTIMER_PIPE_DIR="$home/pipe" EPGTIMER_EVENT_PREFIX="peers.$PEERS_CASE.$$."
export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
cp -r "$work/epg" "$home/epg"
cp "$bin/EpgDataCap2.so" "$home/"
cp -r "$root/public_html" "$home/public_html"
fakes=()
plimod_pid=0

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
say() { printf '%-58s %s\n' "$PEERS_CASE: $1" "$2"; }

cleanup() {
  [ "$plimod_pid" -gt 0 ] && kill -KILL "$plimod_pid" 2>/dev/null
  for pid in "${fakes[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

# Settings as the demo has them, plus case lines: UTF-16LE with BOM, CR LF.
write_settings() {
  {
    printf '\xff\xfe'
    {
      printf '[SYSTEM]\nLOG=1\nHTTPPORT=%s\nEPGDATAFOLDER=%s/epg/\n%s\n' "$port" "$home" "${system_lines:-}"
      printf '[EPGDATACAP]\nENABLE=1\nSMALLLINK=1\nEPGTIMEREXE=%s/recorder/EpgTimer_Bon.exe\n%s\n' "$home" "${recorder_lines:-}"
      printf '[SEARCH_01]\nENABLE=1\nWORD=相撲\nSEARCH_TITLE=1\n'
      printf '%s\n' "${more_sections:-}"
    } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  } > "$home/plimo.ini"
}
server_recorder() {
  printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n[BonDriver_S.dll]\r\nMode=1\r\nCount=2\r\n' > "$home/recorder/EpgTimerSrv.ini"
}

start_plimod() {
  started=$(now)
  "$bin/plimod" > "$home/plimod.out" 2>&1 &
  plimod_pid=$!
}
# Seconds for one request (curl's own total), and its body in $home/body.
timed_get() {
  # Commands count only from the program's own pages.
  curl -s -o "$home/body" -w '%{time_total}' -e "$base/" --max-time "${2:-120}" "$base$1" || true
}
# Seconds from the start until the programme table has data.
table_mark='cmd=edc&sid='
wait_for_table() {
  local until=$(( $(date +%s) + 150 ))
  while [ "$(date +%s)" -lt "$until" ]; do
    if curl -s -o "$home/table" -e "$base/" --max-time 120 "$base/?mode=epg" && grep -q "${table_mark:-pt}" "$home/table" &&
       ! grep -q '読み込み中' "$home/table"; then
      elapsed "$started" "$(now)"
      return
    fi
    sleep 0.1
  done
  echo "none within 150"
}
# Seconds from SIGTERM to the end (capped at $1).
sigterm_time() {
  local cap=${1:-40} sent end
  sent=$(now)
  kill -TERM "$plimod_pid"
  for _ in $(seq $((cap * 20))); do
    kill -0 "$plimod_pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$plimod_pid" 2>/dev/null; then
    kill -KILL "$plimod_pid"
    wait "$plimod_pid" 2>/dev/null
    plimod_pid=0
    echo "over $cap (killed)"
    return
  fi
  end=$(now)
  wait "$plimod_pid" 2>/dev/null
  plimod_pid=0
  elapsed "$sent" "$end"
}

# Whether a process runs (a zombie that waits to be reaped does not count).
running() { [ -r "/proc/$1/stat" ] && ! sed 's/.*) //' "/proc/$1/stat" | grep -q '^Z'; }

# The table's first one-click add link.
add_link() { grep -o "cmd=edc&sid=[^' >]*" "$home/table" | head -1; }

start_fake_srv() {
  "$bin/fake_epgtimersrv" "$@" > "$home/srv.out" 2>&1 &
  fakes+=($!)
  for _ in $(seq 50); do grep -q '^ready' "$home/srv.out" && return 0; sleep 0.1; done
  return 1
}
# Starts the fake calendar answering with "$1" (its option lines) and body "$2".
start_fake_calendar() {
  mkdir -p "$home/cal"
  printf '%s\n\n%s' "$1" "$2" > "$home/cal/reply.txt"
  "$bin/fake_calendar" --port-file "$home/cal/port" --dir "$home/cal" > /dev/null 2>&1 &
  fakes+=($!)
  for _ in $(seq 50); do [ -s "$home/cal/port" ] && break; sleep 0.1; done
  export SYOBOCAL_URL="http://127.0.0.1:$(cat "$home/cal/port")/"
}
calendar_time() { date -d "@$(( $(date +%s) + $1 ))" +%Y%m%d%H%M00; }
calendar_reply() {
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<syobocal>\n<ProgItems>\n'
  printf '<ProgItem PID="77" TID="7" StTime="%s" EdTime="%s" ChName="さくらテレビ" ChID="900" Count="2" Title="カレンダーの番組" SubTitle="" ProgComment="" StOffset="0" />\n' \
    "$(calendar_time 3600)" "$(calendar_time 5400)"
  printf '</ProgItems>\n</syobocal>\n'
}

case "$PEERS_CASE" in
  absent)
    server_recorder
    write_settings
    start_plimod
    say "first programme table with data after start" "$(wait_for_table)"
    add=$(add_link)
    say "reservation list (?cmd=epgtimer)" "$(timed_get '/?cmd=epgtimer')"
    say "mobile reservation list (/m/?c=n)" "$(timed_get '/m/?c=n')"
    say "one-click add" "$(timed_get "/?$add")"
    say "SIGTERM to end" "$(sigterm_time)"
    ;;
  slow)
    server_recorder
    delay_option=""
    for option in --delay-ms --reply-delay-ms --delay; do
      if grep -aq -- "$option" "$bin/fake_epgtimersrv"; then delay_option=$option; break; fi
    done
    if [ -z "$delay_option" ]; then
      say "reservation server answering after 20 s" "no delay option in this fake server: skipped"
      exit 0
    fi
    start_fake_srv "$delay_option" 20000 || { say "fake server" "did not start"; exit 1; }
    write_settings
    start_plimod
    for _ in $(seq 100); do curl -s -o /dev/null --max-time 1 "$base/plx.css" && break; sleep 0.1; done
    curl -s -o /dev/null -e "$base/" --max-time 120 "$base/m/?c=n" &
    sleep 0.5
    say "static file while a mobile page waits" "$(timed_get '/plx.css')"
    say "mobile menu while a mobile page waits" "$(timed_get '/m/')"
    say "SIGTERM to end while a server call waits" "$(sigterm_time)"
    ;;
  calendar)
    system_lines=$'SYOBOCAL_ENABLE=1\nSYOBOCAL_USERNAME=viewer'
    recorder_lines="" ; table_mark='<TD'
    start_fake_calendar "delay-ms 45000" "$(calendar_reply)"
    write_settings
    start_plimod
    sleep 3
    say "SIGTERM to end while the calendar fetch waits (45 s)" "$(sigterm_time)"
    start_plimod
    say "first programme table with data after start" "$(wait_for_table)"
    ;;
  mail)
    # A first run tells the services' keys: the alert word is kept per key.
    write_settings
    start_plimod
    wait_for_table > /dev/null
    sigterm_time > /dev/null
    words=$(grep -o 'sid=[0-9a-f]*' "$home/table" | sort -u | sed 's/sid=//' |
            while read -r sid; do printf '7_%x=カレンダー\n' "$((16#$sid & 0xffffffff))"; done)
    system_lines=$'SYOBOCAL_ENABLE=1\nSYOBOCAL_USERNAME=viewer'
    more_sections=$(printf '[SYOBOI_ALERT]\nENABLE=1\nEMAIL=viewer@example.jp\nSENDMAILPATH=%s\n[SYOBOI_ALERT_WORD]\n%s' \
      "$root/tests/fakes/mail/sendmail" "$words")
    export FAKE_MAIL_MODE=hang FAKE_MAIL_DIR="$home/mail"
    start_fake_calendar "" "$(calendar_reply)"
    write_settings
    start_plimod
    for _ in $(seq 600); do ls "$home/mail/"*.sleeper > /dev/null 2>&1 && break; sleep 0.1; done
    sleeper=$(ls "$home/mail/"*.sleeper 2>/dev/null | head -1)
    if [ -z "$sleeper" ]; then say "mail program hung" "no mail was sent: skipped"; exit 0; fi
    sleep 0.2
    say "SIGTERM to end while the mail program hangs" "$(sigterm_time)"
    mailer=$(basename "$sleeper" .sleeper)
    sleep 1
    if running "$mailer" || running "$(cat "$sleeper")"; then left=yes; else left=no; fi
    say "mail program left running after the end" "$left"
    ;;
  textfile)
    printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n' > "$home/recorder/EpgTimer_Bon.ini"
    cp "$root/tests/fakes/recorder/resident_recorder" "$home/recorder/EpgTimer_Bon.exe"
    export FAKE_RECORDER_DIR="$home/recorder"
    recorder_lines="PROGRAMTXT=$home/recorder/Program.txt"
    write_settings
    start_plimod
    say "first programme table with data after start" "$(wait_for_table)"
    links=$(grep -o "cmd=edc&sid=[^' >]*" "$home/table" | head -2)
    say "text-file add" "$(timed_get "/?$(echo "$links" | sed -n 1p)")"
    say "text-file add (second)" "$(timed_get "/?$(echo "$links" | sed -n 2p)")"
    say "SIGTERM to end" "$(sigterm_time)"
    sleep 0.5
    sleep 0.5
    say "recorder copies started" "$(sort -u "$home/recorder/pids" 2>/dev/null | wc -l)"
    say "recorder copies left running after the end" "$(sort -u "$home/recorder/pids" 2>/dev/null | while read -r pid; do running "$pid" && echo "$pid"; done | wc -l)"
    ;;
esac
