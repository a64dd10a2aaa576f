#!/usr/bin/env bash
# pelk's benchmark: throughput, peak memory and start-up latency, measured
# side by side with the common hex listers on the same files.
#
#   bench/run.sh [--runs N] [--quick]
#
# --runs N   timed runs of each command, alternating between commands (default 5)
# --quick    leave out od and hexdump, which take about half a minute a run
#
# Needs: cmake and g++ (to build), hyperfine, GNU time (/usr/bin/time), xxd,
# hexdump (bsdextrautils), od and basenc (coreutils), and about 260 MiB in the
# temporary folder.  On Debian:
#   apt-get install -y hyperfine time xxd bsdextrautils coreutils
set -euo pipefail

runs=5
quick=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --quick) quick=1; shift ;;
    *) echo "usage: bench/run.sh [--runs N] [--quick]" >&2; exit 2 ;;
  esac
done
[ "$runs" -ge 5 ] || { echo "bench: --runs must be at least 5" >&2; exit 2; }

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
[ -x /usr/bin/time ] || missing+=(time)
command -v xxd >/dev/null || missing+=(xxd)
command -v hexdump >/dev/null || missing+=(bsdextrautils)
command -v basenc >/dev/null && command -v od >/dev/null || missing+=(coreutils)
command -v cmake >/dev/null || missing+=(cmake)
if [ ${#missing[@]} -gt 0 ]; then
  echo "bench: missing packages: ${missing[*]}" >&2
  echo "bench: install them with: apt-get install -y ${missing[*]}" >&2
  exit 1
fi

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --workflow --preset release >/dev/null
cmake --workflow --preset release-portable >/dev/null
pelk="$root/build/release/pelk"
# The same build with the portable table-lookup writers only: the speed of a
# processor without SSSE3 or NEON.
portable="$root/build/release-portable/pelk"

work=$(mktemp -d "${TMPDIR:-/tmp}/pelk-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
big="$work/random-256MiB"
small="$work/twenty-bytes"
sparse="$work/sparse-64GiB"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$big"
head -c 20 /dev/urandom >"$small"
truncate -s 64G "$sparse"

# shellcheck source=bench/common.sh
source "$root/bench/common.sh"

names=("pelk" "pelk /hex" "pelk /ascii" "pelk /int"
       "xxd" "od -An -tx1 -v" "hexdump -C" "basenc --base16 -w0"
       "pelk, piped to cat" "xxd, piped to cat"
       "pelk, portable" "pelk /hex, portable" "pelk /ascii, portable" "pelk /int, portable")
commands=("$pelk '$big'" "$pelk /hex '$big'" "$pelk /ascii '$big'" "$pelk /int '$big'"
          "xxd '$big'" "od -An -tx1 -v '$big'" "hexdump -C '$big'" "basenc --base16 -w0 '$big'"
          "$pelk '$big' | cat" "xxd '$big' | cat"
          "$portable '$big'" "$portable /hex '$big'" "$portable /ascii '$big'" "$portable /int '$big'")
# Peak memory is that of the lister itself, so the pipe rows have none.
memory=(1 1 1 1 1 1 1 1 0 0 1 1 1 1)

selected=()
for i in "${!names[@]}"; do
  if [ $quick -eq 1 ] && { [ "${names[$i]}" = "od -An -tx1 -v" ] || [ "${names[$i]}" = "hexdump -C" ]; }; then
    continue
  fi
  selected+=("$i")
done

# Warm the page cache, then alternate: one run of each command per round.
cat "$big" >/dev/null
declare -A times
for ((round = 1; round <= runs; round++)); do
  echo "bench: round $round of $runs" >&2
  for i in "${selected[@]}"; do
    times[$i]+="$(seconds "${commands[$i]}") "
  done
done

declare -A medians
for i in "${selected[@]}"; do
  medians[$i]=$(tr ' ' '\n' <<<"${times[$i]}" | grep . | median)
done
basenc_time=${medians[7]}
xxd_time=${medians[4]}

echo
echo "Listing 256 MiB of random bytes, output to /dev/null (median of $runs alternating runs):"
echo
echo "| command | median s | time ÷ basenc | xxd ÷ time | peak RSS KiB |"
echo "|---|---:|---:|---:|---:|"
for i in "${selected[@]}"; do
  rss="–"
  if [ "${memory[$i]}" -eq 1 ]; then
    rss=$( { eval "/usr/bin/time -f %M ${commands[$i]}" >/dev/null; } 2>&1 | tail -n 1)
  fi
  xxd_reference=$xxd_time
  [ "${memory[$i]}" -eq 0 ] && xxd_reference=${medians[9]}
  awk -v n="${names[$i]}" -v t="${medians[$i]}" -v b="$basenc_time" -v x="$xxd_reference" -v m="$rss" \
    'BEGIN { printf "| %s | %.3f | %.2f | %.1f | %s |\n", n, t, t / b, x / t, m }'
done
echo
echo "(Piped to cat: \`… | cat > /dev/null\`, its xxd ratio against xxd piped to cat.)"

echo
echo "Start-up and seeking latency (hyperfine, median of 300 runs):"
echo
echo "| command | median ms | peak RSS KiB |"
echo "|---|---:|---:|"
latency() {
  local rss
  hyperfine -N --warmup 30 --runs 300 --output=null --export-csv "$work/latency.csv" "$2" >/dev/null 2>&1
  # shellcheck disable=SC2086  # the command line, split into its words
  rss=$( { /usr/bin/time -f %M $2 >/dev/null; } 2>&1 | tail -n 1)
  awk -F, -v n="$1" -v m="$rss" 'NR == 2 { printf "| `%s` | %.3f | %s |\n", n, $4 * 1000, m }' "$work/latency.csv"
}
latency "pelk twenty-bytes" "$pelk $small"
latency "xxd twenty-bytes" "xxd $small"
latency "pelk /last:16 sparse-64GiB" "$pelk /last:16 $sparse"
latency "pelk /mid:40000000000:16 sparse-64GiB" "$pelk /mid:40000000000:16 $sparse"

echo
echo "The last bytes of a stream, through a pipe (median of $runs runs; peak RSS of pelk or tail alone):"
echo
echo "| command | input | median s | peak RSS KiB | RSS ÷ data kept |"
echo "|---|---|---:|---:|---:|"
stream() {  # name, input command, bytes the input holds, lister command, bytes kept
  local rss t=()
  for ((round = 1; round <= runs; round++)); do t+=("$(seconds "$2 | $4")"); done
  rss=$( { eval "$2 | /usr/bin/time -f %M $4" >/dev/null; } 2>&1 | tail -n 1)
  awk -v n="$1" -v i="$(($3 >> 20)) MiB" -v t="$(printf '%s\n' "${t[@]}" | median)" -v m="$rss" -v k="$5" \
    'BEGIN { r = k < 1048576 ? "–" : sprintf("%.2f", m * 1024 / k)
             printf "| `%s` | %s | %.3f | %s | %s |\n", n, i, t, m, r }'
}
hundred=$((100 << 20))
for n in 200000000 100000000 60000000; do
  kept=$((n < hundred ? n : hundred))
  stream "pelk /hex /last:$n" "head -c $hundred '$big'" $hundred "$pelk /hex /last:$n /dev/stdin" $kept
done
stream "tail -c 200000000" "head -c $hundred '$big'" $hundred "tail -c 200000000" $hundred
stream "pelk /hex /last:16" "cat '$big' '$big' '$big' '$big'" $((4 * (256 << 20))) "$pelk /hex /last:16 /dev/stdin" 16

echo
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores, $(uname -sr)"
