#!/usr/bin/env bash
# Speed of korvale-batch against the bare Play loop of machine_bench (BM_Play/0): games per
# second of each run kind on one thread and on two, medians of several runs, and the ratios
#   slowdown = bare Play loop / one thread     (goal: at most 1.5)
#   scaling  = two threads / one thread        (goal: at least 1.8)
# Each run's CPU share (100% = one core busy) is shown too: on a machine shared with other
# work, a two-thread run that got well under 200% did not have two cores to itself, and its
# scaling says more about the machine than about the program.
# Environment: BUILD_DIR (default build/release), REPS (default 5), GAMES (default 400000000
# per normal run), ATTEMPTS (default 500000 per attempt run), SETTING (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/release}
reps=${REPS:-5}
games=${GAMES:-400000000}
attempts=${ATTEMPTS:-500000}
setting=${SETTING:-1}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target korvale-batch machine_bench >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median() {
    sort -g | awk '{ value[NR] = $1 } END { print value[int((NR + 1) / 2)] }'
}

# One korvale-batch run: prints its games per second (as it reports them) and its CPU share.
batch_run() {
    /usr/bin/time -f '%P' -o "$scratch/cpu" \
        "$build/batch/korvale-batch" simulate "$@" --seed 1 --setting "$setting" --format csv \
        >"$scratch/out"
    echo "$(awk -F, '$1 == "timing" && $6 == "games_per_second" { print $10 }' "$scratch/out") $(tr -d '%' <"$scratch/cpu")"
}

# Median games per second and median CPU share of REPS runs.
batch_median() {
    for _ in $(seq "$reps"); do
        batch_run "$@"
    done >"$scratch/runs"
    echo "$(cut -d' ' -f1 "$scratch/runs" | median) $(cut -d' ' -f2 "$scratch/runs" | median)"
}

play=$("$build/bench/machine_bench" --benchmark_filter='^BM_Play/0$' \
    --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 == "\"BM_Play/0_median\"" { printf "%.0f\n", $7 }')

read -r normal1 normal1cpu <<<"$(batch_median normal --games "$games" --threads 1)"
read -r normal2 normal2cpu <<<"$(batch_median normal --games "$games" --threads 2)"
read -r special1 special1cpu <<<"$(batch_median special --attempts "$attempts" --threads 1)"
read -r special2 special2cpu <<<"$(batch_median special --attempts "$attempts" --threads 2)"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "cores: $(nproc), load average afterwards: $(cut -d' ' -f1-3 /proc/loadavg), medians of $reps"
printf '%-28s %12s %6s\n' "" "games/s" "cpu%"
printf '%-28s %12s\n' "bare Play loop (BM_Play/0)" "$play"
printf '%-28s %12s %6s   slowdown %s\n' "normal run, 1 thread" "$normal1" "$normal1cpu" \
    "$(ratio "$play" "$normal1")"
printf '%-28s %12s %6s   scaling  %s\n' "normal run, 2 threads" "$normal2" "$normal2cpu" \
    "$(ratio "$normal2" "$normal1")"
printf '%-28s %12s %6s   slowdown %s\n' "attempt run, 1 thread" "$special1" "$special1cpu" \
    "$(ratio "$play" "$special1")"
printf '%-28s %12s %6s   scaling  %s\n' "attempt run, 2 threads" "$special2" "$special2cpu" \
    "$(ratio "$special2" "$special1")"
echo "slowdown = Play loop / 1 thread (goal <= 1.5); scaling = 2 threads / 1 thread (goal >= 1.8)"
