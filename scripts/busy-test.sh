#!/usr/bin/env bash
# Runs the built tests (ctest) on a busy machine: while they run, one
# spinning process per core keeps every core busy, as another build or other
# users would. A test that waits a fixed short time instead of waiting for
# what it checks fails here.
#
#   bash scripts/busy-test.sh [BUILD_FOLDER] [ctest options...]
#
# BUILD_FOLDER defaults to build (made by scripts/test.sh or by hand).
# BUSY_PROCESSES (default: the number of cores) spinning processes run at
# nice BUSY_NICE (default 10; 0 competes evenly with the tests); ctest runs
# BUSY_JOBS tests at once (default: the number of cores). Where it
# may (root, or user namespaces allowed) it runs in a network namespace of
# its own, so that other runs of the program on the machine (their ports,
# the single-instance name) do not meet this one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ $# -gt 0 ] && shift
if [ ! -f "$build/CTestTestfile.cmake" ]; then
  echo "busy-test: $build holds no built tests; build them first (scripts/test.sh)" >&2
  exit 2
fi

spinners=()
stop_spinners() {
  for pid in "${spinners[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${spinners[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_spinners EXIT
for _ in $(seq "${BUSY_PROCESSES:-$(nproc)}"); do
  nice -n "${BUSY_NICE:-10}" sh -c 'while :; do :; done' &
  spinners+=($!)
done

export TZ=Asia/Tokyo LC_ALL=C.UTF-8
run=(ctest --test-dir "$build" -j "${BUSY_JOBS:-$(nproc)}" --output-on-failure --timeout 300 "$@")
isolate=()
if command -v ip >/dev/null; then
  if unshare -n true 2>/dev/null; then
    isolate=(unshare -n)
  elif unshare -rn true 2>/dev/null; then
    isolate=(unshare -rn)
  fi
fi

start=$(date +%s)
status=0
if [ ${#isolate[@]} -gt 0 ]; then
  "${isolate[@]}" sh -c 'ip link set lo up && exec "$@"' sh "${run[@]}" || status=$?
else
  "${run[@]}" || status=$?
fi
echo "busy-test: $(( $(date +%s) - start )) s with ${#spinners[@]} spinning processes" \
     "(nice ${BUSY_NICE:-10}); load average now $(cut -d' ' -f1-3 /proc/loadavg); exit status $status"
exit "$status"
