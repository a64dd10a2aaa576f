#!/usr/bin/env bash
# Checks that two pelk builds list the same bytes, for every layout and a
# spread of ranges over a file of all byte values and random data:
#   tests/compare-listings.sh build/release/pelk "qemu-aarch64-static build/linux-aarch64/pelk"
# The second command may start with an emulator.
set -euo pipefail
reference=${1:?usage: tests/compare-listings.sh REFERENCE-PELK OTHER-PELK-COMMAND}
other=${2:?usage: tests/compare-listings.sh REFERENCE-PELK OTHER-PELK-COMMAND}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/data
# shellcheck disable=SC2059  # each byte by its octal escape, which only a format reads
for ((b = 0; b < 256; b++)); do printf "\\$(printf %03o $b)"; done >"$data"
head -c 300000 /dev/urandom >>"$data"
differ=0
runs=0
for layout in "" /hex /ascii /int; do
  for range in "" /first:1 /first:17 /first:70000 /last:1 /last:15 /last:99999 \
               /mid:0:16 /mid:7:300 /mid:65535:65538 /mid:300200:500 /mid:999999:5; do
    # shellcheck disable=SC2086  # the layout and range are single words or none
    "$reference" $layout $range "$data" >"$work/expected" || true
    # shellcheck disable=SC2086  # the command may be an emulator and pelk
    $other $layout $range "$data" >"$work/actual" || true
    runs=$((runs + 1))
    if ! cmp -s "$work/expected" "$work/actual"; then
      echo "differs: pelk $layout $range"
      differ=$((differ + 1))
    fi
  done
done
echo "compare-listings: $runs listings, $differ differ"
[ "$differ" -eq 0 ]
