#!/usr/bin/env bash
# pelk.exe under wine beside the Linux build, on the same 64 MiB file, output
# to the null device: how far the Windows build's own work is from Linux's.
#
#   bench/windows.sh [--runs N]
#
# Needs the packages of the windows preset (g++-mingw-w64-x86-64-posix, wine,
# wine64).  Wine runs with a prefix of its own and a persistent server, so a
# run of pelk.exe pays for starting the process, not wine.
set -euo pipefail
runs=5
[ "${1:-}" = --runs ] && runs=$2
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"
cd "$root"
cmake --workflow --preset release >/dev/null
cmake --workflow --preset windows >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/pelk-bench-windows.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$WINEPREFIX"
wineserver -p
wine wineboot --init >/dev/null 2>&1
data=$work/random-64MiB
head -c $((64 * 1024 * 1024)) /dev/urandom >"$data"
: >"$work/empty"
windows() { echo "Z:$(tr / "\\\\" <<<"$1")"; }

names=("pelk" "pelk.exe under wine" "pelk /hex" "pelk.exe /hex under wine" "pelk.exe on an empty file")
commands=("build/release/pelk '$data'" "wine build/windows/pelk.exe '$(windows "$data")'"
          "build/release/pelk /hex '$data'" "wine build/windows/pelk.exe /hex '$(windows "$data")'"
          "wine build/windows/pelk.exe '$(windows "$work/empty")'")
cat "$data" >/dev/null
declare -A times
for ((round = 1; round <= runs; round++)); do
  for i in "${!names[@]}"; do times[$i]+="$(seconds "${commands[$i]}") "; done
done
declare -A medians
for i in "${!names[@]}"; do medians[$i]=$(tr ' ' '\n' <<<"${times[$i]}" | grep . | median); done

echo "Listing 64 MiB of random bytes to /dev/null (median of $runs alternating runs):"
echo
echo "| command | median s | ÷ the Linux build | ÷ Linux, wine's start-up taken off |"
echo "|---|---:|---:|---:|"
for i in 0 1 2 3 4; do
  linux=${medians[$(( i < 2 ? 0 : 2 ))]}
  start=0
  [[ ${names[$i]} == *wine* ]] && start=${medians[4]}
  awk -v n="${names[$i]}" -v t="${medians[$i]}" -v l="$linux" -v s="$start" 'BEGIN {
    if (n ~ /empty/) { printf "| %s | %.3f | – | – |\n", n, t; exit }
    printf "| %s | %.3f | %.2f | %.2f |\n", n, t, t / l, (t - s) / l }'
done
