# What the benchmark scripts share.  Source it; it defines functions only.

# Seconds of one run of a shell command, output to /dev/null.
seconds() {
  local start end
  start=$EPOCHREALTIME
  eval "$1" >/dev/null
  end=$EPOCHREALTIME
  echo "$end $start" | awk '{ printf "%.6f\n", $1 - $2 }'
}

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
