#!/usr/bin/env bash
# Starts the built plimod in the foreground on demo data, in a home folder of
# its own (demo-home/), made on first use:
#   demo-home/epg/        EPG data files made by epgwriter --demo
#   demo-home/plimo.ini   settings (UTF-16LE with BOM, CR LF): log on, the
#                         data folder above and five saved search conditions
#   demo-home/EpgDataCap2.so, demo-home/public_html/   beside the program
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bin="$root/build/bin"
home="$root/demo-home"

for needed in plimod epgwriter EpgDataCap2.so; do
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

# The module and the static files follow the build.
cp -f "$bin/EpgDataCap2.so" "$home/"
if [ -d "$root/public_html" ]; then
  rm -rf "$home/public_html"
  cp -r "$root/public_html" "$home/public_html"
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

settings=$(iconv -f UTF-16LE -t UTF-8 "$home/plimo.ini" | tr -d '\r')
port=$(printf '%s\n' "$settings" | sed -n 's/^HTTPPORT=\([0-9][0-9]*\)$/\1/p;T;q')
[ -n "$port" ] && [ "$port" -gt 0 ] || port=18990

export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
echo "plimod is starting on the demo data in $home; Ctrl+C stops it."
echo "Open in a browser:"
echo "  http://127.0.0.1:$port/"
echo "      front page: the programmes the saved search conditions find, a table per day"
if [[ "$settings" != *"[SEARCH_"* ]]; then
  echo "      (this demo-home/ has no saved search conditions; delete it to start afresh)"
fi
echo "  http://127.0.0.1:$port/?mode=epg"
echo "      programme table: every channel of a band, hour by hour"
exec "$bin/plimod"
