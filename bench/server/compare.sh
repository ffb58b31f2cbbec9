#!/bin/sh
# Builds bench_http_host from an earlier commit and runs the server benchmark
# against that server and this tree's, side by side.
#
#   bench/server/compare.sh [earlier commit] [seconds per run]
#
# The earlier commit defaults to the one before the listening thread became
# an event loop. BUILD_DIR names this tree's build folder (default build).
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$here/build}
ref=${1:-$(git -C "$here" log --diff-filter=A --format=%H -- server/listener_loop.cpp | tail -1)^}
seconds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/plimod_bench_before.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
git -C "$here" archive "$ref" | tar -x -C "$work/src"
# The host only uses the server's start/stop calls, so today's file builds there.
rm -rf "$work/src/bench/server"
cp -r "$here/bench/server" "$work/src/bench/server"
cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/build" -j4 --target bench_http_host >/dev/null
cmake --build "$build" -j4 --target bench_http_server >/dev/null
echo "before: $(git -C "$here" log -1 --format='%h %s' "$ref")"
echo "after:  this tree ($(git -C "$here" log -1 --format='%h' HEAD)$(git -C "$here" diff --quiet HEAD || echo ', with changes'))"
"$build/bin/bench_http_server" --before "$work/build/bin/bench_http_host" "$seconds"
