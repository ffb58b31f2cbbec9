#!/usr/bin/env bash
# Measures whether what the pages say is what was done, for both programs
# (plimod, plimod-b) as built before and after a change, on the demo data
# with the project's fake reservation server, and prints one table per
# figure (before and after, a row per program), each with what lies behind
# it below:
#   bash bench/pages/measure_pages.sh [options] BEFORE AFTER
# BEFORE and AFTER are build folders (or their bin/), each holding plimod,
# plimod-b, EpgDataCap2.so and epgwriter. The fake reservation server and
# the demo data come from AFTER, so both meet the same server (the cases
# need its --print-requests and --empty-records); the static files come
# from the tree each build was made from.
#   --cases LIST     cases to run (default: changes readers load5 load20 empty)
#   --programs LIST  programs (default: plimod plimod-b)
#   --sides LIST     builds (default: before after)
#   --keep           keeps the homes (logs, bodies, the server's Reserve.txt)
# PAGES_CHANGES_WAIT=S makes the changes case wait S s and for the list load
# after each add, where every change should hold (a check of the bench).
# The cases:
#   changes  the server answers each command after 1 s. A programme is added
#            through the add page (the programme table's one-click link),
#            and right after its answer, before the next list load, one of:
#            the detail page's delete link, the list page's delete, the list
#            page's disable, the detail page's disable link, each on a fresh
#            add, with the name the page shows then. Counts the changes the
#            server really holds afterwards, and shows what each page said.
#   readers  seven clients read the front page of ten times the demo data
#            (every search condition) at a steady 1 MB/s, started 1.5 s
#            apart: how many got the whole page (its length in one fast
#            read), and how the others ended.
#   load5    the server answers each command after 5 s: seconds a phone add
#   load20   (the phone page's reserve link) takes when sent right after the
#            list worker's load has sent its first command, and the commands
#            the server saw meanwhile.
#   empty    the server lists 1,048,576 empty 4-byte records (4 MiB): the
#            program's VmRSS and VmHWM after the list page (after its load
#            of them), and again after a second load.
# Each run has a network namespace of its own (its own loopback, so its
# port and single-instance name meet no other run) and its own pipe folder
# and event prefix. The readers' runs go one at a time, as their figure
# hangs on the program's own sending; the others go side by side (their
# figures are the server's delays, answers and memory). The whole takes
# some minutes; load20 alone two or three. Needs root for unshare, curl,
# iconv and python3.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
port=18994
base="http://127.0.0.1:$port"
all_cases="changes readers load5 load20 empty"

usage() {
  sed -n '/^#   bash/,/^#   --keep/p' "$0" | sed 's/^# \{0,1\}//' >&2
}

# A build folder or its bin/, as the folder that holds the programs.
bin_of() {
  if [ -e "$1/bin/plimod" ]; then (cd "$1/bin" && pwd); else (cd "$1" && pwd); fi
}
# The static files of the tree a build was made from (a build folder
# inside its tree, as the house builds), else those of this tree.
html_of() {
  local tree
  tree=$(cd "$1/../.." 2>/dev/null && pwd)
  if [ -d "$tree/public_html" ] && [ -e "$tree/CMakeLists.txt" ]; then echo "$tree/public_html"; else echo "$root/public_html"; fi
}

if [ "${PAGES_CASE:-}" = "" ]; then
  cases=$all_cases programs="plimod plimod-b" sides="before after" keep=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --cases) cases=${2:-}; shift 2 || { usage; exit 2; } ;;
      --programs) programs=${2:-}; shift 2 || { usage; exit 2; } ;;
      --sides) sides=${2:-}; shift 2 || { usage; exit 2; } ;;
      --keep) keep=1; shift ;;
      -h|--help) usage; exit 0 ;;
      -*) usage; exit 2 ;;
      *) break ;;
    esac
  done
  if [ $# -ne 2 ]; then usage; exit 2; fi
  for case in $cases; do
    [[ " $all_cases " == *" $case "* ]] || { echo "measure_pages: no case $case" >&2; exit 2; }
  done
  before=$(bin_of "$1") && after=$(bin_of "$2") || exit 1
  for bin in "$before" "$after"; do
    for needed in plimod plimod-b epgwriter EpgDataCap2.so; do
      [ -e "$bin/$needed" ] || { echo "measure_pages: $bin/$needed is missing" >&2; exit 1; }
    done
  done
  fake="$after/fake_epgtimersrv"
  [ -e "$fake" ] || { echo "measure_pages: $fake is missing" >&2; exit 1; }
  grep -aq -- --empty-records "$fake" && grep -aq -- --print-requests "$fake" ||
    { echo "measure_pages: $fake lacks --empty-records or --print-requests" >&2; exit 1; }
  work=$(mktemp -d /tmp/plimod-pages.XXXXXX)
  runs=()
  # Each run leads a process group of its own (its program, server, curl
  # and readers), so one signal ends all of it.
  finish() {
    for pid in "${runs[@]}"; do kill -TERM -- "-$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ -n "$keep" ]; then echo "# kept: $work"; else rm -rf "$work"; fi
  }
  trap finish EXIT
  trap 'exit 1' INT TERM HUP
  "$after/epgwriter" --demo "$work/epg" >/dev/null
  [[ " $cases " == *" readers "* ]] && "$after/epgwriter" --demo "$work/epg10" --scale 10 >/dev/null
  echo "# before: $before"
  echo "# after:  $after (and the fake reservation server)"

  # One run: case, side, program; its lines go to a file of its own.
  start_run() {
    local bin
    bin=$([ "$2" = before ] && echo "$before" || echo "$after")
    PAGES_CASE=$1 PAGES_SIDE=$2 PAGES_PROGRAM=$3 PAGES_WORK="$work" PAGES_FAKE="$fake" \
      PAGES_HTML="$(html_of "$bin")" setsid unshare -n bash "$0" "$bin" > "$work/$1.$2.$3.lines" 2>&1 &
    runs+=($!)
  }
  for case in $cases; do
    [ "$case" = readers ] && continue
    for side in $sides; do
      for program in $programs; do start_run "$case" "$side" "$program"; done
    done
  done
  wait
  runs=()
  if [[ " $cases " == *" readers "* ]]; then
    for side in $sides; do
      for program in $programs; do
        start_run readers "$side" "$program"
        wait
      done
    done
  fi

  # A run's figure (its "figure:" line), or what went wrong.
  figure_of() {
    local lines="$work/$1.lines" figure
    figure=$(sed -n 's/^figure: //p' "$lines" 2>/dev/null | head -1)
    [ -n "$figure" ] && { echo "$figure"; return; }
    echo "failed: $(grep -v '^note: ' "$lines" 2>/dev/null | tail -1 | cut -c1-60)"
  }
  title_of() {
    case "$1" in
      changes) echo "changes the server really holds right after an add (of 4: detail delete, list delete, list disable, detail disable; 1 s a command)" ;;
      readers) echo "readers of 7 with the whole 10x front page (1 MB/s each, 1.5 s apart)" ;;
      load5) echo "seconds of a phone add beside the list worker's load, 5 s a command" ;;
      load20) echo "seconds of a phone add beside the list worker's load, 20 s a command" ;;
      empty) echo "memory with 4 MiB of empty records (1,048,576), after the list page's load" ;;
    esac
  }
  # $1 padded to $2 columns as a terminal shows it (wide characters take two).
  pad() {
    python3 -c 'import sys, unicodedata
text, width = sys.argv[1], int(sys.argv[2])
shown = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)
sys.stdout.write(text + " " * max(0, width - shown))' "$1" "$2"
  }
  for case in $cases; do
    echo
    echo "== $(title_of "$case")"
    row=$(pad "" 10)
    for side in $sides; do row="$row | $(pad "$side" 34)"; done
    echo "${row%"${row##*[! ]}"}"
    for program in $programs; do
      row=$(pad "$program" 10)
      for side in $sides; do row="$row | $(pad "$(figure_of "$case.$side.$program")" 34)"; done
      echo "${row%"${row##*[! ]}"}"
    done
    for side in $sides; do
      for program in $programs; do
        sed -n "s/^note: /  $side $program: /p" "$work/$case.$side.$program.lines" 2>/dev/null
      done
    done
  done
  exit 0
fi

ip link set lo up
bin=$(cd "$1" && pwd)
work="$PAGES_WORK"
run="$PAGES_CASE.$PAGES_SIDE.$PAGES_PROGRAM"
home="$work/$run"
mkdir -p "$home/recorder" "$home/pipe"
export EPGTIMER_PIPE_DIR="$home/pipe" EPGTIMER_EVENT_PREFIX="pages.$run.$$."
export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
cp "$bin/EpgDataCap2.so" "$home/"
cp -r "$PAGES_HTML" "$home/public_html"
epg="$work/epg"
fake_pid=0
plimod_pid=0
helpers=()

now() { date +%s.%N; }
figure() { echo "figure: $*"; }
note() { echo "note: $*"; }

cleanup() {
  [ "$plimod_pid" -gt 0 ] && kill -KILL "$plimod_pid" 2>/dev/null
  [ "$fake_pid" -gt 0 ] && kill -TERM "$fake_pid" 2>/dev/null
  for pid in "${helpers[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Settings as the demo has them, with the reservation server as recorder
# (its Reserve.txt in recorder/, where the edit page reads a reservation):
# UTF-16LE with BOM, CR LF.
write_settings() {
  printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n[BonDriver_S.dll]\r\nMode=1\r\nCount=2\r\n' > "$home/recorder/EpgTimerSrv.ini"
  {
    printf '\xff\xfe'
    {
      printf '[SYSTEM]\nLOG=1\nHTTPPORT=%s\nEPGDATAFOLDER=%s/\n' "$port" "$epg"
      printf '[EPGDATACAP]\nENABLE=1\nSMALLLINK=1\nEPGTIMEREXE=%s/recorder/EpgTimer_Bon.exe\nPROGRAMTXT=%s/recorder/\n' \
        "$home" "$home"
      printf '%s\n' "${more_sections:-}"
    } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  } > "$home/plimo.ini"
}

# Search conditions that fill the front page (the search grid), all thirty
# of the clients bench.
front_page_conditions() {
  local n=1 word
  for word in ニュース 'ドラマ 映画' アニメ 旅 相撲 'クイズ バラエティ 笑い' '科学 宇宙 自然' '料理 グルメ' \
              ミステリー 天気 サッカー 時代劇 ルル ギャラクシー 灯台 坂上 汽車 ブルース 雪国 園芸 英会話 囲碁 将棋 \
              職人 ひらめき わいわい ごごナビ マラソン 殿堂 知恵袋; do
    printf '[SEARCH_%02d]\nENABLE=1\nWORD=%s\nSEARCH_EXPLANATION=1\nSEARCH_DETAIL=1\n' $n "$word"
    n=$((n + 1))
  done
}

# The fake server with "$@", keeping its reservations in recorder/Reserve.txt
# and printing each request it gets.
start_fake_srv() {
  "$PAGES_FAKE" --folder "$home/recorder" --print-requests 1 "$@" > "$home/srv.out" 2>&1 &
  fake_pid=$!
  for _ in $(seq 100); do grep -q '^ready' "$home/srv.out" && return 0; sleep 0.1; done
  return 1
}
start_plimod() {
  "$bin/$PAGES_PROGRAM" > "$home/plimod.out" 2>&1 &
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
start_case() {
  write_settings
  start_plimod
  wait_for_table || { echo "the programme table never had data"; exit 1; }
}

# GET of $1 from the page $2 (the Referer), body in $home/body; prints
# curl's total seconds.
get() {
  curl -s -o "$home/body" -w '%{time_total}' -e "$base${2:-/}" --max-time "${3:-120}" "$base$1" || true
}
# The first $2 lines of text (1 unless given) a reply's body shows, tags
# gone, or "nothing".
answer_of() {
  local text
  text=$(sed 's/<TITLE>[^<]*<\/TITLE>//; s/<[^>]*>//g' "$1" 2>/dev/null | grep -v '^Content-Type' |
         grep -m"${2:-1}" '[^[:space:]]' | sed ':a; N; s/\n/ \/ /; ta')
  text=${text:0:60}  # characters (the run's locale is UTF-8)
  echo "${text:-nothing}"
}
# The number of requests the fake server has seen.
requests_seen() { grep -c '^request ' "$home/srv.out"; }
# The commands of the requests after the first $1, on one line.
commands_after() { grep '^request ' "$home/srv.out" | tail -n +$(($1 + 1)) | cut -d' ' -f3 | tr '\n' ' ' | sed 's/ $//'; }
# Waits until the server has seen no request for $1 s (at most $2 s).
wait_for_quiet() {
  local last=-1 same=0 count
  for _ in $(seq $(($2 * 5))); do
    count=$(requests_seen)
    if [ "$count" = "$last" ]; then
      same=$((same + 1))
      [ "$same" -ge $(($1 * 5)) ] && return 0
    else
      same=0
      last=$count
    fi
    sleep 0.2
  done
}

# Waits until the program has used no CPU time for 2 s (at most $1 s): a
# load it has received is worked through.
wait_for_idle() {
  local last=-1 same=0 ticks
  for _ in $(seq $(($1 * 4))); do
    ticks=$(awk '{ print $14 + $15 }' "/proc/$plimod_pid/stat" 2>/dev/null)
    if [ "${ticks:-0}" -le $((last + 1)) ]; then
      same=$((same + 1))
      [ "$same" -ge 8 ] && return 0
    else
      same=0
      last=${ticks:-0}
    fi
    sleep 0.25
  done
}

# Programmes of the table, latest first (their start is the furthest off,
# so none ends while the case runs): "sid eid" a line, as the links give
# them (hexadecimal service key and event id).
late_programmes() {
  grep -o "cmd=edc&sid=[0-9a-f]*&eid=[0-9a-f]*" "$home/table" | sed 's/.*sid=\([0-9a-f]*\)&eid=/\1 /' |
    tac | awk '!seen[$0]++'
}
# A programme's name prefix on the pages (E_ and its programme key).
name_prefix() { printf 'E_%04x%012x_' "$((16#$2))" "$((16#$1))"; }
# The programme's row in the server's Reserve.txt (in the system code
# page): its reserve id and record mode, or nothing.
server_row() {
  iconv -f CP932 -t UTF-8 "$home/recorder/Reserve.txt" 2>/dev/null |
    awk -F'\t' -v sid="$((16#$1 & 0xffff))" -v eid="$((16#$2))" '$8 == sid && $9 == eid { print $12, $13; exit }'
}

# The add page's one-click add of programme "$1 $2"; its answer in $added.
add_programme() {
  get "/?cmd=edc&sid=$1&eid=$2&q=1" "/?mode=epg" > /dev/null
  added=$(answer_of "$home/body" 2)
}
# The page's answer to a change, with the name it carried in $name (its id
# part): the first text line, or for the list page shown again, whether
# the row is listed and, for a disable, how.
change_answer() {
  local shown=${name##*_}
  if grep -q 'EpgDataCap_bon予約リスト' "$home/body" 2>/dev/null; then
    local row
    row=$(grep -A12 "name='$(name_prefix "$1" "$2")" "$home/body" | sed -n '/<\/tr>/q;p' | tr -d '\n')
    if [ -z "$row" ]; then
      echo "the list page again, without the row (name _$shown)"
    elif [[ "$row" == *無効* ]]; then
      echo "the list page again, the row disabled (name _$shown)"
    else
      echo "the list page again, the row as it was (name _$shown)"
    fi
  else
    echo "$(answer_of "$home/body" 2) (name _$shown)"
  fi
}
# The detail page of programme "$1 $2": the href of its link labelled $3,
# in $link, and the name in it in $name.
detail_link() {
  get "/?sid=$1&eid=$2" "/?mode=epg" > /dev/null
  cp "$home/body" "$home/detail.$2"
  link=$(grep -o "<a href='[^']*'>$3</a>" "$home/body" | head -1 | sed "s/^<a href='\\([^']*\\)'.*/\\1/")
  name=$(grep -o "E_[0-9a-f]*_[0-9a-f]*" <<<"$link" | head -1)
}
# The list page as shown now: the name of programme "$1 $2" in $name, the
# form's token in $token.
list_name() {
  get "/?cmd=epgtimer" "/?cmd=epgtimer" > /dev/null
  cp "$home/body" "$home/list.$2"
  name=$(grep -o "name='$(name_prefix "$1" "$2")[0-9a-f]*'" "$home/body" | head -1 | tr -d "'" | sed 's/^name=//')
  token=$(grep -o "name=token value='[^']*'" "$home/body" | head -1 | sed "s/.*value='\\([^']*\\)'/\\1/")
}
# The list page's confirmed action ($1: delete or invalid) on $name.
list_action() {
  curl -s -o "$home/body" -e "$base/?cmd=epgtimer" --max-time 120 \
    --data-urlencode "spc=　" --data "token=$token&cmd=epgtimer&confirm=2&$1=1&$name=1&execute=1" "$base/" || true
}

case "$PAGES_CASE" in
  changes)
    start_fake_srv --delay-ms 1000 || { echo "the fake server did not start"; exit 1; }
    start_case
    get "/?cmd=epgtimer" "/" > /dev/null  # the first list load is done
    wait_for_quiet 2 30
    mapfile -t programmes < <(late_programmes | head -4)
    [ "${#programmes[@]}" -eq 4 ] || { echo "the table has fewer than 4 programmes"; exit 1; }
    happened=0
    for i in 0 1 2 3; do
      read -r sid eid <<<"${programmes[$i]}"
      add_programme "$sid" "$eid"
      # A check of the bench itself: after the list load the names carry
      # their ids and the same clicks change the reservation.
      [ -n "${PAGES_CHANGES_WAIT:-}" ] && { sleep "$PAGES_CHANGES_WAIT"; wait_for_quiet 2 30; }
      case $i in
        0) what="detail delete"; detail_link "$sid" "$eid" 予約を削除
           [ -n "$link" ] && get "/$link" "/?sid=$sid&eid=$eid" > /dev/null ;;
        1) what="list delete"; list_name "$sid" "$eid"
           [ -n "$name" ] && list_action delete ;;
        2) what="list disable"; list_name "$sid" "$eid"
           [ -n "$name" ] && list_action invalid ;;
        3) what="detail disable"; detail_link "$sid" "$eid" 予約を無効
           [ -n "$link" ] && get "/$link" "/?sid=$sid&eid=$eid" > /dev/null ;;
      esac
      if [ -z "$name" ]; then
        answer="no such link or row on the page"
      else
        answer=$(change_answer "$sid" "$eid")
      fi
      # The server has carried out what the page did by its answer.
      read -r id mode <<<"$(server_row "$sid" "$eid")"
      case "$what:${id:-gone}" in
        *delete:gone) held="gone"; happened=$((happened + 1)) ;;
        *delete:*) held="still reserved (id $id)" ;;
        *disable:gone) held="gone" ;;
        *disable:*) if [ "$mode" = 5 ]; then held="disabled"; happened=$((happened + 1)); else held="still enabled (id $id)"; fi ;;
      esac
      note "$what: add $added; page: $answer; server: $held"
      wait_for_quiet 2 30
    done
    figure "$happened of 4"
    ;;
  readers)
    epg="$work/epg10"
    more_sections=$(front_page_conditions)
    start_case
    python3 - "$port" <<'EOF'
import socket, sys, threading, time
port = int(sys.argv[1])
request = b"GET / HTTP/1.0\r\nHost: 127.0.0.1:%d\r\nReferer: http://127.0.0.1:%d/\r\n\r\n" % (port, port)

# The head ends at the first empty line (the program ends its lines with LF).
def body_of(reply):
    ends = [(at, len(mark)) for mark in (b"\n\n", b"\r\n\r\n") for at in [reply.find(mark)] if at >= 0]
    if not ends:
        return b""
    at, length = min(ends)
    return reply[at + length:]

def fetch(rate, results, i):
    got, ended = bytearray(), "closed"
    s = socket.socket()
    if rate:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 65536)
    s.settimeout(30)
    try:
        s.connect(("127.0.0.1", port))
        s.sendall(request)
        start = time.monotonic()
        while True:
            chunk = s.recv(16384)
            if not chunk:
                break
            got += chunk
            if rate:
                ahead = len(got) / rate - (time.monotonic() - start)
                if ahead > 0:
                    time.sleep(ahead)
    except ConnectionResetError:
        ended = "reset"
    except socket.timeout:
        ended = "silent 30 s"
    except OSError as error:
        ended = error.strerror or "error"
    s.close()
    results[i] = (bytes(got), ended)

whole = {}
fetch(0, whole, 0)
size = len(body_of(whole[0][0]))
results, threads = {}, []
for i in range(7):
    if i:
        time.sleep(1.5)
    t = threading.Thread(target=fetch, args=(1_000_000, results, i))
    t.start()
    threads.append(t)
for t in threads:
    t.join(200)
whole_count, others = 0, []
for i in range(7):
    reply, ended = results.get(i, (b"", "no end"))
    body = body_of(reply)
    if len(body) == size and size > 0:
        whole_count += 1
    elif b"cgi busy" in reply:
        others.append("cgi busy")
    else:
        others.append("%.1f MB (%s)" % (len(body) / 1e6, ended))
print("figure: %d of 7" % whole_count)
print("note: the page %.2f MB in one fast read; the others: %s" % (size / 1e6, ", ".join(others) or "none"))
EOF
    ;;
  load5|load20)
    delay=$((${PAGES_CASE#load} * 1000))
    # The first load meets a quick server, which then gives way to a slow
    # one: the worker's next load waits no longer than the last one took,
    # so the load asked for below begins at once.
    start_fake_srv || { echo "the fake server did not start"; exit 1; }
    start_case
    get "/?cmd=epgtimer" "/" > /dev/null
    wait_for_quiet 1 30
    kill -TERM "$fake_pid"
    wait "$fake_pid" 2>/dev/null
    start_fake_srv --delay-ms "$delay" || { echo "the slow fake server did not start"; exit 1; }
    # Once the list is older than the 3 s the program trusts a server's
    # list, the phone's programme page (which gives the reserve link) asks
    # the worker for a load, without waiting for it.
    sleep 4
    seen=$(requests_seen)
    read -r sid eid < <(late_programmes | head -1)
    referer="/m/?sid=$sid&eid=$eid"
    get "$referer" "/m/" 30 > /dev/null
    link=$(grep -o "/?cmd=edc&sid=[^' >]*silent=1[^' >]*" "$home/body" | head -1)
    [ -n "$link" ] || link="/?cmd=edc&sid=$sid&eid=$eid&silent=1&"
    for _ in $(seq 300); do [ "$(requests_seen)" -gt "$seen" ] && break; sleep 0.1; done
    in_flight=$(commands_after "$seen")
    seen=$(requests_seen)
    total=$(get "$link" "$referer" 300)
    figure "$(printf '%.1f' "$total") ($(answer_of "$home/body"))"
    note "sent while the worker's ${in_flight:-nothing} was in flight; the server saw meanwhile: $(commands_after "$seen")"
    ;;
  empty)
    start_fake_srv --empty-records 1048576 || { echo "the fake server did not start"; exit 1; }
    start_case
    mib() { awk -v field="$1:" '$1 == field { printf "%.0f", $2 / 1024 }' "/proc/$plimod_pid/status"; }
    total=$(get "/?cmd=epgtimer" "/" 300)
    size=$(stat -c %s "$home/body")
    wait_for_quiet 2 120
    wait_for_idle 120
    rss=$(mib VmRSS) hwm=$(mib VmHWM)
    # A second load once the list has aged (3 s), asked for by the page.
    sleep 4
    get "/?cmd=epgtimer" "/" 300 > /dev/null
    wait_for_quiet 2 120
    wait_for_idle 120
    figure "VmRSS $rss MiB, VmHWM $hwm MiB"
    note "list page $(printf '%.1f' "$total") s, $size bytes; after a second load VmRSS $(mib VmRSS) MiB, VmHWM $(mib VmHWM) MiB"
    ;;
esac
