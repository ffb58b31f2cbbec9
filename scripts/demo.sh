#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program on demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ ! -x build/bin/plimod ]; then
  echo "Built. The program itself is not part of the tree yet."
  exit 0
fi
exec bash scripts/start-demo.sh
