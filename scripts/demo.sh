#!/usr/bin/env bash
# Installs what is needed, builds only what the demo runs (the program, its
# decoder library, the EPG writer and the stand-in reservation server; no
# tests or benchmarks) and starts the program on demo data. Arguments go on
# to scripts/start-demo.sh and from there to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target plimod EpgDataCap2 epgwriter fake_epgtimersrv
exec bash scripts/start-demo.sh "$@"
