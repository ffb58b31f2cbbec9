#!/usr/bin/env bash
# Starts the built plimod in the foreground on demo data, in a home folder of
# its own (demo-home/), made on first use:
#   demo-home/epg/        EPG data files made by epgwriter --demo
#   demo-home/plimo.ini   settings (UTF-16LE): log on, data folder above
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

if [ ! -f "$home/plimo.ini" ]; then
  {
    printf '\xff\xfe'
    printf '[SYSTEM]\r\nLOG=1\r\nEPGDATAFOLDER=%s/\r\n' "$home/epg" | iconv -f UTF-8 -t UTF-16LE
  } > "$home/plimo.ini"
fi

port=$(iconv -f UTF-16LE -t UTF-8 "$home/plimo.ini" | tr -d '\r' |
       sed -n 's/^HTTPPORT=\([0-9][0-9]*\)$/\1/p' | head -n 1)
[ -n "$port" ] && [ "$port" -gt 0 ] || port=18990

export PLIMOD_HOME="$home" TZ=Asia/Tokyo LC_ALL=C.UTF-8
echo "plimod is starting on the demo data in $home"
echo "Open http://127.0.0.1:$port/ in a browser; Ctrl+C stops it."
exec "$bin/plimod"
