#!/usr/bin/env bash
# Measures how adds to the reservation server fare, for both programs
# (plimod, plimod-b) as built before and after a change, on the demo data
# with one automatic-reservation condition (映画 in the title), and prints
# one line per figure:
#   bash bench/reservations/measure_adds.sh BEFORE_BIN AFTER_BIN
# Each BIN holds plimod, plimod-b, epgwriter and EpgDataCap2.so; the fake
# reservation server (fake_epgtimersrv) and the demo data come from
# AFTER_BIN, so both meet the same server and the same programmes.
# ADDS_CASES picks cases (hits refused during slow); ADDS_KEEP=1 keeps the
# homes (logs, the server's Reserve.txt) for a look.
#   hits     the condition's hits by title, nothing refused (what the
#            refused case counts against)
#   refused  the server refuses every add of one title (雪国の約束): how
#            many of the other titles' hits the first pass reserved
#   during   the server answers each command after 0.3 s: seconds the
#            phone's reserve link (a silent add) takes when sent while the
#            pass is sending (how far the pass was, on the server, when it
#            was sent and when it was answered)
#   slow     the server answers each command after 5 s, no condition:
#            seconds the phone's reserve link takes
# Each run has a network namespace of its own (its own loopback, so its
# port and single-instance name meet no other run) and its own pipe folder
# and event prefix; after the hits, all runs go side by side (their figures
# are the server's delays and counts, not CPU time). Needs root for
# unshare, curl, iconv and python3.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
port=18993
base="http://127.0.0.1:$port"
refused_title="雪国の約束"

if [ "${ADDS_CASE:-}" = "" ]; then
  if [ $# -ne 2 ]; then
    echo "usage: bash $0 BEFORE_BIN AFTER_BIN" >&2
    exit 2
  fi
  before=$(cd "$1" && pwd) && after=$(cd "$2" && pwd) || exit 1
  for bin in "$before" "$after"; do
    for needed in plimod plimod-b epgwriter EpgDataCap2.so; do
      [ -e "$bin/$needed" ] || { echo "measure_adds: $bin/$needed is missing" >&2; exit 1; }
    done
  done
  [ -e "$after/fake_epgtimersrv" ] || { echo "measure_adds: $after/fake_epgtimersrv is missing" >&2; exit 1; }
  work=$(mktemp -d /tmp/plimod-adds.XXXXXX)
  "$after/epgwriter" --demo "$work/epg" >/dev/null
  echo "# before: $before"
  echo "# after:  $after (and the fake reservation server)"
  # One run: case, side, program; its lines go to a file of its own.
  start_run() {
    local bin
    bin=$([ "$2" = before ] && echo "$before" || echo "$after")
    ADDS_CASE=$1 ADDS_SIDE=$2 ADDS_PROGRAM=$3 ADDS_WORK="$work" ADDS_FAKE="$after/fake_epgtimersrv" \
      unshare -n bash "$0" "$bin" > "$work/$1.$2.$3.lines" 2>&1 &
  }
  cases=" ${ADDS_CASES:-hits refused during slow} "
  # The hits first: the refused case counts against them.
  if [[ "$cases" == *" hits "* ]]; then
    start_run hits after plimod
    wait
    cat "$work/hits.after.plimod.lines"
  fi
  if [[ "$cases" == *" refused "* ]] && ! grep -aq -- --refuse-title "$after/fake_epgtimersrv"; then
    printf '%-60s %s\n' "refused: first pass's reservations" "skipped: the fake server lacks --refuse-title"
    cases=${cases/ refused / }
  fi
  # The other cases' runs go side by side; their lines come in order.
  for case in $cases; do
    [ "$case" = hits ] && continue
    for side in before after; do
      for program in plimod plimod-b; do start_run "$case" "$side" "$program"; done
    done
  done
  wait
  for case in $cases; do
    [ "$case" = hits ] && continue
    for side in before after; do
      for program in plimod plimod-b; do cat "$work/$case.$side.$program.lines"; done
    done
  done
  [ -n "${ADDS_KEEP:-}" ] && echo "# kept: $work" || rm -rf "$work"
  exit 0
fi

ip link set lo up
bin=$(cd "$1" && pwd)
work="$ADDS_WORK"
run="$ADDS_CASE.$ADDS_SIDE.$ADDS_PROGRAM"
home="$work/$run"
mkdir -p "$home/recorder" "$home/pipe"
export EPGTIMER_PIPE_DIR="$home/pipe" EPGTIMER_EVENT_PREFIX="adds.$run.$$."
export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
cp "$bin/EpgDataCap2.so" "$home/"
cp -r "$root/public_html" "$home/public_html"
fake_pid=0
plimod_pid=0

now() { date +%s.%N; }
say() {
  local who="$ADDS_SIDE $ADDS_PROGRAM: "
  [ "$ADDS_CASE" = hits ] && who=""
  printf '%-60s %s\n' "$ADDS_CASE: $who$1" "$2"
}

cleanup() {
  [ "$plimod_pid" -gt 0 ] && kill -KILL "$plimod_pid" 2>/dev/null
  [ "$fake_pid" -gt 0 ] && kill -TERM "$fake_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

# Settings as the demo has them, with the reservation server as recorder
# and the condition on or off: UTF-16LE with BOM, CR LF.
write_settings() {
  printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n[BonDriver_S.dll]\r\nMode=1\r\nCount=2\r\n' > "$home/recorder/EpgTimerSrv.ini"
  {
    printf '\xff\xfe'
    {
      printf '[SYSTEM]\nLOG=1\nHTTPPORT=%s\nEPGDATAFOLDER=%s/epg/\n' "$port" "$work"
      printf '[EPGDATACAP]\nENABLE=1\nSMALLLINK=1\nEPGTIMEREXE=%s/recorder/EpgTimer_Bon.exe\nAUTORESERVECOUNT=1\n' "$home"
      printf '[AUTORESERVE_01]\nENABLE=%s\nWORD=映画\n' "$1"
    } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  } > "$home/plimo.ini"
}

# The fake server with "$@", keeping its reservations in recorder/Reserve.txt.
start_fake_srv() {
  "$ADDS_FAKE" --folder "$home/recorder" "$@" > "$home/srv.out" 2>&1 &
  fake_pid=$!
  for _ in $(seq 50); do grep -q '^ready' "$home/srv.out" && return 0; sleep 0.1; done
  return 1
}
start_plimod() {
  "$bin/$ADDS_PROGRAM" > "$home/plimod.out" 2>&1 &
  plimod_pid=$!
}
# Waits until the programme table has data (the first load is done).
wait_for_table() {
  local until=$(( $(date +%s) + 150 ))
  while [ "$(date +%s)" -lt "$until" ]; do
    curl -s -o "$home/table" -e "$base/" --max-time 120 "$base/?mode=epg" && grep -q 'cmd=edc&sid=' "$home/table" &&
      ! grep -q '読み込み中' "$home/table" && return 0
    sleep 0.2
  done
  return 1
}

# The titles the server holds, one a line (its file is in the system code page).
reserved_titles() { iconv -f CP932 -t UTF-8 "$home/recorder/Reserve.txt" 2>/dev/null | cut -f4; }
reserved_count() { reserved_titles | grep -c .; }
pass_count() { reserved_titles | grep -c 映画; }
# Waits until the server's reservations have not changed for 4 s (60 s at most).
wait_for_pass_end() {
  local last=-1 same=0 count
  for _ in $(seq 120); do
    count=$(reserved_count)
    if [ "$count" = "$last" ]; then
      same=$((same + 1))
      [ "$same" -ge 8 ] && return 0
    else
      same=0
      last=$count
    fi
    sleep 0.5
  done
}

# The phone's reserve link of the table's first programme that is no hit of
# the condition, in $link, as the phone's programme page gives it; that
# page's address in $referer.
phone_reserve_link() {
  local sid eid
  read -r sid eid < <(python3 - "$home/table" <<'EOF'
import re, sys
page = open(sys.argv[1], encoding="utf-8", errors="replace").read()
for title, sid, eid in re.findall(r"<span class=title>([^<]*)</span>.*?cmd=edc&sid=([0-9a-f]+)&eid=([0-9a-f]+)", page):
    if "映画" not in title:
        print(sid, eid)
        break
EOF
)
  referer="$base/m/?sid=$sid&eid=$eid"
  curl -s -o "$home/phone_detail" -e "$base/m/" --max-time 120 "$referer"
  link=$(grep -o "/?cmd=edc&sid=[^' >]*silent=1[^' >]*" "$home/phone_detail" | head -1)
  # Without the page's link (it timed out) the link is made as the page makes it.
  [ -n "$link" ] || link="/?cmd=edc&sid=$sid&eid=$eid&silent=1&"
}
# Seconds the phone's reserve link takes (curl's own total) and what came.
timed_phone_add() {
  local total answer
  total=$(curl -s -o "$home/body" -w '%{time_total}' -e "$referer" --max-time 150 "$base$link")
  if grep -q '登録しました' "$home/body" 2>/dev/null; then
    answer="登録しました"
  elif grep -q 'cgi busy' "$home/body" 2>/dev/null; then
    answer="cgi busy"
  elif [ -s "$home/body" ]; then
    answer=$(sed 's/<[^>]*>//g' "$home/body" | grep -m1 . | cut -c1-40)
  else
    answer="nothing within 150 s"
  fi
  printf '%.2f (%s)\n' "$total" "$answer"
}


# The program on the demo data with the condition on (1) or off (0),
# against the fake server started with the options that follow.
start_case() {
  write_settings "$1"
  shift
  start_fake_srv "$@" || { say "fake server" "did not start"; exit 1; }
  start_plimod
  wait_for_table || { say "programme table" "never had data"; exit 1; }
}
case "$ADDS_CASE" in
  hits)
    start_case 1
    wait_for_pass_end
    reserved_titles | grep -vc "$refused_title" > "$work/others"
    say "the condition's hits, by title" "$(reserved_count) ($(reserved_titles | sort | uniq -c |
      awk '{ printf "%s%s %s", sep, $2, $1; sep = ", " }'))"
    ;;
  refused)
    start_case 1 --refuse-title "$refused_title"
    wait_for_pass_end
    say "first pass's reservations, one title refused" \
      "$(reserved_titles | grep -vc "$refused_title") of the $(cat "$work/others" 2>/dev/null || echo '?') others"
    ;;
  during)
    start_case 1 --delay-ms 300
    phone_reserve_link
    # Sent once the pass's first add has reached the server.
    for _ in $(seq 600); do [ "$(pass_count)" -gt 0 ] && break; sleep 0.1; done
    sent_at=$(pass_count)
    figure=$(timed_phone_add)
    say "phone add while the pass sends (s)" \
      "$figure; pass: $sent_at reserved when sent, $(pass_count) when answered"
    ;;
  slow)
    start_case 0 --delay-ms 5000
    phone_reserve_link
    say "phone add, 5 s a command (s)" "$(timed_phone_add)"
    ;;
esac
