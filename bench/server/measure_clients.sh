#!/usr/bin/env bash
# Measures what clients that do not behave cost the others, on the demo
# data, and prints one line per figure (seconds unless said):
#   bash bench/server/measure_clients.sh [BIN]     BIN: built programs (build/bin)
# CLIENTS_CASES picks cases (silent stalled stallers phones halfclose
# memory sighup); CLIENTS_KEEP=1 keeps the homes (logs, bodies) for a look.
#   silent    a connection that sends nothing: what it gets, and when
#   stalled   a client that asks for the front page of ten times the demo
#             data and never reads: other pages meanwhile, then SIGTERM
#   stallers  5, then 8 clients that ask for that front page one after the
#             other and never read: the log page's answers meanwhile
#   phones    600 phone reservation lists against a reservation server that
#             answers after 20 s: a static file, the phone menu and the log
#             page meanwhile, then when the phones got their answers
#   halfclose 15 phone reservation lists from clients that shut their
#             sending side after the request: how many got their page
#   memory    the resident set after the load and after 7 and 50 front
#             pages, at eight and ten times the demo data
#   sighup    SIGTERM followed by a stream of SIGHUP: the exit statuses
# Each case runs the program in a network namespace of its own (its own
# loopback, so its port and single-instance name meet no other run). Needs
# root for unshare, curl, iconv and python3 (for the raw sockets).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
port=18990
base="http://127.0.0.1:$port"

if [ "${CLIENTS_CASE:-}" = "" ]; then
  for needed in plimod epgwriter EpgDataCap2.so fake_epgtimersrv; do
    [ -e "$bin/$needed" ] || { echo "measure_clients: $bin/$needed is missing" >&2; exit 1; }
  done
  work=$(mktemp -d /tmp/plimod-clients.XXXXXX)
  "$bin/epgwriter" --demo "$work/epg" >/dev/null
  "$bin/epgwriter" --demo "$work/epg10" --scale 10 >/dev/null
  "$bin/epgwriter" --demo "$work/epg8" --scale 8 >/dev/null
  echo "# programs: $bin"
  for case in ${CLIENTS_CASES:-silent stalled stallers phones halfclose memory sighup}; do
    CLIENTS_CASE=$case CLIENTS_WORK="$work" unshare -n bash "$0" "$bin" || echo "$case: failed"
  done
  [ -n "${CLIENTS_KEEP:-}" ] && echo "# kept: $work" || rm -rf "$work"
  exit 0
fi

ip link set lo up
work="$CLIENTS_WORK"
home="$work/$CLIENTS_CASE"
mkdir -p "$home/recorder" "$home/pipe"
export EPGTIMER_PIPE_DIR="$home/pipe" EPGTIMER_EVENT_PREFIX="clients.$CLIENTS_CASE.$$."
export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
epg="$work/epg"
case "$CLIENTS_CASE" in stalled|stallers) epg="$work/epg10" ;; esac
cp "$bin/EpgDataCap2.so" "$home/"
cp -r "$root/public_html" "$home/public_html"
fakes=()
helpers=()
plimod_pid=0

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
say() { printf '%-62s %s\n' "$CLIENTS_CASE: $1" "$2"; }

cleanup() {
  [ "$plimod_pid" -gt 0 ] && kill -KILL "$plimod_pid" 2>/dev/null
  for pid in "${helpers[@]}" "${fakes[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

# Settings as the demo has them, with the reservation server as recorder:
# UTF-16LE with BOM, CR LF.
write_settings() {
  printf '[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n' > "$home/recorder/EpgTimerSrv.ini"
  {
    printf '\xff\xfe'
    {
      printf '[SYSTEM]\nLOG=1\nHTTPPORT=%s\nEPGDATAFOLDER=%s/\n' "$port" "$epg"
      printf '[EPGDATACAP]\nENABLE=1\nSMALLLINK=1\nEPGTIMEREXE=%s/recorder/EpgTimer_Bon.exe\n' "$home"
      printf '%s\n' "${more_sections:-}"
    } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  } > "$home/plimo.ini"
}

start_plimod() {
  "$bin/plimod" > "$home/plimod.out" 2>&1 &
  plimod_pid=$!
}
# Waits until the programme table has data (the first load is done).
wait_for_table() {
  local until=$(( $(date +%s) + 150 ))
  while [ "$(date +%s)" -lt "$until" ]; do
    curl -s -o "$home/table" --max-time 120 "$base/?mode=epg" && grep -q 'cmd=edc&sid=' "$home/table" && return 0
    sleep 0.2
  done
  return 1
}
# Seconds for one request (curl's own total) and what came: the status
# line's code, or "cgi busy", or "nothing".
timed_get() {
  local total
  total=$(curl -s -o "$home/body" -D "$home/head" -w '%{time_total}' -e "$base/" --max-time "${2:-15}" "$base$1")
  if grep -q 'cgi busy' "$home/body" 2>/dev/null; then
    echo "$total (cgi busy)"
  elif [ -s "$home/head" ]; then
    echo "$total ($(head -1 "$home/head" | cut -d' ' -f2))"
  else
    echo "$total (nothing)"
  fi
}
# Seconds from SIGTERM to the end (capped at $1), and the exit status, in
# $ended (run in this shell, the program's parent, to learn the status).
sigterm_time() {
  local cap=${1:-40} sent end status
  sent=$(now)
  kill -TERM "$plimod_pid"
  for _ in $(seq $((cap * 50))); do
    kill -0 "$plimod_pid" 2>/dev/null || break
    sleep 0.02
  done
  if kill -0 "$plimod_pid" 2>/dev/null; then
    kill -KILL "$plimod_pid"
    wait "$plimod_pid" 2>/dev/null
    plimod_pid=0
    ended="over $cap (killed)"
    return
  fi
  end=$(now)
  wait "$plimod_pid"
  status=$?
  plimod_pid=0
  ended="$(elapsed "$sent" "$end") (status $status)"
}

# Search conditions that fill the front page (the search grid): twelve, or
# thirty with "all".
front_page_conditions() {
  local n=1 word more=()
  [ "${1:-}" = all ] && more=(ルル ギャラクシー 灯台 坂上 汽車 ブルース 雪国 園芸 英会話 囲碁 将棋 職人 ひらめき \
                              わいわい ごごナビ マラソン 殿堂 知恵袋)
  for word in ニュース 'ドラマ 映画' アニメ 旅 相撲 'クイズ バラエティ 笑い' '科学 宇宙 自然' '料理 グルメ' \
              ミステリー 天気 サッカー 時代劇 "${more[@]}"; do
    printf '[SEARCH_%02d]\nENABLE=1\nWORD=%s\nSEARCH_EXPLANATION=1\nSEARCH_DETAIL=1\n' $n "$word"
    n=$((n + 1))
  done
}
# The program's resident set in MiB.
rss_mib() { awk '/^VmRSS/ { printf "%.0f", $2 / 1024 }' "/proc/$plimod_pid/status"; }

start_fake_srv() {
  "$bin/fake_epgtimersrv" "$@" > "$home/srv.out" 2>&1 &
  fakes+=($!)
  for _ in $(seq 50); do grep -q '^ready' "$home/srv.out" && return 0; sleep 0.1; done
  return 1
}

case "$CLIENTS_CASE" in
  silent)
    write_settings
    start_plimod
    wait_for_table || { say "programme table" "never had data"; exit 1; }
    # Connect, send nothing, and read until the server closes (20 s at most).
    say "connection that sends nothing: seconds to close, bytes got" "$(python3 - "$port" <<'EOF'
import socket, sys, time
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.settimeout(20)
start, got = time.monotonic(), b""
try:
    while True:
        chunk = s.recv(4096)
        if not chunk:
            break
        got += chunk
    print("%.2f, %d bytes %r" % (time.monotonic() - start, len(got), got[-25:].decode("latin-1")))
except socket.timeout:
    print("still open after 20, %d bytes" % len(got))
EOF
)"
    sigterm_time
    say "SIGTERM to end" "$ended"
    ;;
  stalled)
    more_sections=$(front_page_conditions)
    write_settings
    start_plimod
    wait_for_table || { say "programme table" "never had data"; exit 1; }
    say "front page, read whole (seconds)" "$(timed_get '/' 60)"
    say "front page size (bytes)" "$(stat -c %s "$home/body")"
    python3 - "$port" <<'EOF' &
import socket, sys, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
s.connect(("127.0.0.1", int(sys.argv[1])))
s.sendall(b"GET / HTTP/1.0\r\n\r\n")
time.sleep(120)
EOF
    helpers+=($!)
    # The front page takes its time to write; ask once it has.
    sleep 2
    say "programme table while a client does not read the front page" "$(timed_get '/?mode=epg&hour=20')"
    say "log page while a client does not read the front page" "$(timed_get '/?cmd=log')"
    sleep 5
    say "log page 8 s on" "$(timed_get '/?cmd=log')"
    sigterm_time
    say "SIGTERM to end while the client still does not read" "$ended"
    ;;
  stallers)
    more_sections=$(front_page_conditions all)
    write_settings
    # Five clients with the log page polled for 9 s, then eight for 14 s.
    for run in 5:9 8:14; do
      stallers=${run%:*}
      start_plimod
      wait_for_table || { say "programme table" "never had data"; exit 1; }
      rm -f "$home/stalling" "$home/polled"
      # Each asks once the one before has its page coming, so none waits
      # for the worker; they hold on until the log page was polled.
      python3 - "$port" "$stallers" "$home" <<'EOF' &
import os, socket, sys, time
port, count, home = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
socks = []
for _ in range(count):
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    s.connect(("127.0.0.1", port))
    s.sendall(b"GET / HTTP/1.0\r\n\r\n")
    s.settimeout(120)
    s.recv(1, socket.MSG_PEEK)
    socks.append(s)
open(home + "/stalling", "w").close()
while not os.path.exists(home + "/polled"):
    time.sleep(0.1)
EOF
      stalling=$!
      helpers+=($stalling)
      for _ in $(seq 600); do [ -e "$home/stalling" ] && break; sleep 0.2; done
      # The log page every 0.3 s.
      ok=0 busy=0 other=0 polls=0
      until=$(( $(date +%s) + ${run#*:} ))
      while [ "$(date +%s)" -lt "$until" ]; do
        case "$(timed_get '/?cmd=log')" in
          *"(200)") ok=$((ok + 1)) ;;
          *"(cgi busy)") busy=$((busy + 1)) ;;
          *) other=$((other + 1)) ;;
        esac
        polls=$((polls + 1))
        sleep 0.3
      done
      touch "$home/polled"
      wait "$stalling"
      say "log page while $stallers clients stall on the front page" "$ok of $polls answered ($busy cgi busy, $other other)"
      sigterm_time
    done
    ;;
  halfclose)
    write_settings
    start_plimod
    wait_for_table || { say "programme table" "never had data"; exit 1; }
    start_fake_srv || { say "fake server" "did not start"; exit 1; }
    # 15 phones at once send the request for the reservation list, shut
    # their sending side, and read until the server closes (30 s at most).
    say "15 half-closing phone clients" "$(python3 - "$port" <<'EOF'
import selectors, socket, sys, time
sel = selectors.DefaultSelector()
got = {}
for _ in range(15):
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
    s.sendall(b"GET /m/?c=n HTTP/1.0\r\nHost: 127.0.0.1:%s\r\nReferer: http://127.0.0.1:%s/m/\r\n\r\n" %
              (sys.argv[1].encode(), sys.argv[1].encode()))
    s.shutdown(socket.SHUT_WR)
    s.setblocking(False)
    sel.register(s, selectors.EVENT_READ)
    got[s] = b""
start, still_open = time.monotonic(), len(got)
while still_open and time.monotonic() - start < 30:
    for key, _ in sel.select(timeout=1):
        try:
            chunk = key.fileobj.recv(65536)
        except OSError:
            chunk = b""
        got[key.fileobj] += chunk
        if not chunk:
            sel.unregister(key.fileobj)
            still_open -= 1
pages = sum(1 for reply in got.values() if b"ETB" in reply)
busy = sum(1 for reply in got.values() if b"cgi busy" in reply)
nothing = sum(1 for reply in got.values() if not reply)
print("%d of 15 got their page (%d cgi busy, %d nothing)" % (pages, busy, nothing))
EOF
)"
    sigterm_time
    ;;
  memory)
    more_sections=$(front_page_conditions)
    for scale in 8 10; do
      epg="$work/epg$scale"
      write_settings
      start_plimod
      wait_for_table || { say "programme table" "never had data"; exit 1; }
      sleep 1
      after_load=$(rss_mib)
      for _ in $(seq 7); do curl -s -o /dev/null --max-time 60 "$base/"; done
      sleep 1
      after_7=$(rss_mib)
      for _ in $(seq 43); do curl -s -o /dev/null --max-time 60 "$base/"; done
      sleep 1
      say "RSS MiB at ${scale}x: after load, after 7 and 50 front pages" "$after_load, $after_7, $(rss_mib)"
      sigterm_time
    done
    ;;
  phones)
    write_settings
    start_plimod
    wait_for_table || { say "programme table" "never had data"; exit 1; }
    # Started once the data are in: the first load's reservation pass
    # would wait for it too.
    start_fake_srv --delay-ms 20000 || { say "fake server" "did not start"; exit 1; }
    say "one phone reservation list alone" "$(timed_get '/m/?c=n' 120)"
    # 600 phones ask for the reservation list at once and wait for it;
    # each answer's time and kind is written when all have one (or 60 s).
    python3 - "$port" > "$home/phones" 2> "$home/phone_replies" <<'EOF' &
import selectors, socket, sys, time
sel = selectors.DefaultSelector()
start = time.monotonic()
socks = {}
for i in range(600):
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
    # From the program's own page, as a phone following its menu sends it.
    s.sendall(b"GET /m/?c=n HTTP/1.0\r\nHost: 127.0.0.1:%s\r\nReferer: http://127.0.0.1:%s/m/\r\n\r\n" %
              (sys.argv[1].encode(), sys.argv[1].encode()))
    s.setblocking(False)
    sel.register(s, selectors.EVENT_READ)
    socks[s] = b""
done = {}
while len(done) < len(socks) and time.monotonic() - start < 60:
    for key, _ in sel.select(timeout=1):
        s = key.fileobj
        try:
            chunk = s.recv(65536)
        except OSError:
            chunk = b""
        socks[s] += chunk
        if not chunk:
            sel.unregister(s)
            done[s] = time.monotonic() - start
for s in done:
    sys.stderr.write(repr(socks[s][:300]) + "\n")
busy = sum(1 for s in done if b"cgi busy" in socks[s])
pages = sum(1 for s in done if b"ETB" in socks[s])
print("answered %d of 600 (%d pages, %d cgi busy, %d other), last after %.1f" %
      (len(done), pages, busy, len(done) - pages - busy, max(done.values(), default=0)))
EOF
    helpers+=($!)
    sleep 2
    say "static file while 600 phones wait" "$(timed_get '/plx.css')"
    say "phone menu while 600 phones wait" "$(timed_get '/m/')"
    say "log page while 600 phones wait" "$(timed_get '/?cmd=log')"
    wait "${helpers[0]}"
    say "the 600 phones" "$(cat "$home/phones")"
    sigterm_time
    say "SIGTERM to end" "$ended"
    ;;
  sighup)
    write_settings
    statuses=""
    for run in 1 2 3 4 5; do
      start_plimod
      wait_for_table || { say "programme table" "never had data"; exit 1; }
      # SIGTERM, then a SIGHUP every 0.1 ms or so until the program has ended.
      python3 - "$plimod_pid" <<'EOF'
import os, signal, sys, time
pid = int(sys.argv[1])
os.kill(pid, signal.SIGTERM)
while True:
    try:
        with open("/proc/%d/stat" % pid) as stat:
            if stat.read().rsplit(")", 1)[1].split()[0] == "Z":
                break
        os.kill(pid, signal.SIGHUP)
        time.sleep(0.0001)
    except (OSError, IndexError):
        break
EOF
      wait "$plimod_pid"
      statuses="$statuses $?"
      plimod_pid=0
    done
    say "exit statuses of 5 runs (SIGHUP stream after SIGTERM)" "$statuses"
    ;;
esac
