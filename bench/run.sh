#!/usr/bin/env bash
# Benchmarks VURN on two large generated data files and prints, for each, how
# long the whole program takes (the file name and "quit" typed on standard
# input) beside `wc -l` on the same file, the share of the run spent
# estimating, and the peak memory.  Then the Google Benchmark figures for the
# reader and one score evaluation.
#
#   bench/run.sh [--runs N] [--check] [--small] [--no-gbench]
#
#   --runs N      timed runs per file; medians are shown (default 5)
#   --check       also compute each estimate with the plain loops and compare
#                 the result lines byte for byte (slow on the 1 GB file)
#   --small       only the 40 MB diploid file
#   --no-gbench   skip the Google Benchmark programs
#
# Builds what it needs in build-bench/ (Release) and writes the data files to
# build-bench/data/ (about 1 GB; kept for the next run).  Needs cmake, g++,
# libbenchmark-dev and /usr/bin/time (Debian package "time").
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5
check=0
small=0
gbench=1
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --check) check=1; shift ;;
    --small) small=1; shift ;;
    --no-gbench) gbench=0; shift ;;
    *) echo "usage: bench/run.sh [--runs N] [--check] [--small] [--no-gbench]" >&2; exit 2 ;;
  esac
done

if [ ! -x /usr/bin/time ]; then
  echo "bench/run.sh needs /usr/bin/time: install the Debian package \"time\"" >&2
  echo "(apt-get install time)" >&2
  exit 1
fi

build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVURN_BENCH=ON -DVURN_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target vurn make_data vurn_phases vurn_bench >/dev/null

data="$build/data"
mkdir -p "$data"
# name | generator arguments
files=("diploid_40MB|--ploidy diploid --pops 99 --loci 99 --individuals 1000 --alleles 8 --missing 0.02 --seed 1")
if [ "$small" = 0 ]; then
  files+=("haploid_1GB|--ploidy haploid --pops 99 --loci 99 --individuals 94000 --alleles 8 --missing 0.02 --seed 2")
fi

now_ns() { date +%s%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '\n%-13s %9s %9s %10s %7s %10s %7s %9s\n' \
  file size "wc -l" "whole run" ratio estimate share "peak mem"
for entry in "${files[@]}"; do
  name="${entry%%|*}"
  args="${entry#*|}"
  file="$data/$name.nex"
  # Regenerate when the arguments or the generator changed.
  stamp="$file.args"
  if [ ! -f "$file" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$args" ] ||
     [ "$build/make_data" -nt "$file" ]; then
    # shellcheck disable=SC2086
    "$build/make_data" $args "$file"
    echo "$args" > "$stamp"
  fi
  bytes=$(stat -c %s "$file")
  cat "$file" > /dev/null  # warm the page cache
  wc -l "$file" > /dev/null

  wc_t=() run_t=() est_t=() mem_k=()
  expected=""
  for ((i = 0; i < runs; i++)); do
    t0=$(now_ns); wc -l "$file" > /dev/null; t1=$(now_ns)
    wc_t+=("$(( t1 - t0 ))")

    t0=$(now_ns)
    printf '%s\nquit\n' "$file" |
      /usr/bin/time -v -o "$data/time.txt" "$build/vurn" > "$data/out.txt" 2> "$data/err.txt" || true
    t1=$(now_ns)
    run_t+=("$(( t1 - t0 ))")
    mem_k+=("$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$data/time.txt")")
    result=$(grep -o 'Estimate of theta: .*' "$data/out.txt" || true)
    if [ -z "$result" ]; then
      echo "no estimate from vurn on $file:" >&2
      cat "$data/out.txt" "$data/err.txt" >&2
      exit 1
    fi
    [ -z "$expected" ] && expected="$result"
    if [ "$result" != "$expected" ]; then
      echo "vurn printed different results on the same file: $expected / $result" >&2
      exit 1
    fi

    "$build/vurn_phases" "$file" > "$data/phases.txt"
    est_t+=("$(awk '/^estimate / { print $2 * 1e9 }' "$data/phases.txt")")
    phase_result=$(grep -o 'Estimate of theta: .*' "$data/phases.txt")
    if [ "$phase_result" != "$result" ]; then
      echo "vurn_phases and vurn disagree: $phase_result / $result" >&2
      exit 1
    fi
  done

  wc_s=$(printf '%s\n' "${wc_t[@]}" | median | awk '{ printf "%.4f", $1 / 1e9 }')
  run_s=$(printf '%s\n' "${run_t[@]}" | median | awk '{ printf "%.4f", $1 / 1e9 }')
  est_s=$(printf '%s\n' "${est_t[@]}" | median | awk '{ printf "%.4f", $1 / 1e9 }')
  mem_m=$(printf '%s\n' "${mem_k[@]}" | sort -g | tail -1 | awk '{ printf "%.1f MB", $1 / 1024 }')
  ratio=$(awk -v a="$run_s" -v b="$wc_s" 'BEGIN { printf "%.1fx", a / b }')
  share=$(awk -v a="$est_s" -v b="$run_s" 'BEGIN { printf "%.0f%%", 100 * a / b }')
  size=$(awk -v b="$bytes" 'BEGIN { printf "%.0f MB", b / 1e6 }')
  printf '%-13s %9s %8ss %9ss %7s %9ss %7s %9s\n' \
    "$name" "$size" "$wc_s" "$run_s" "$ratio" "$est_s" "$share" "$mem_m"
  echo "              result: $result"

  if [ "$check" = 1 ]; then
    plain=$(  "$build/vurn_phases" --plain "$file" | grep -o 'Estimate of theta: .*')
    if [ "$plain" = "$result" ]; then
      echo "              the plain loops print the same result"
    else
      echo "              the plain loops print: $plain  -- DIFFERENT" >&2
      exit 1
    fi
  fi
done
echo "(medians of $runs runs; whole run = vurn with the file name and \"quit\" on"
echo " standard input; estimate = tables, search and standard error, timed inside"
echo " a separate run of the same code; share = estimate / whole run;"
echo " peak mem = maximum resident set size of vurn, from /usr/bin/time -v)"

if [ "$gbench" = 1 ]; then
  echo
  "$build/vurn_bench" --benchmark_min_time=0.5 2>&1 | grep -E '^(BM_|Benchmark|-)'
fi
