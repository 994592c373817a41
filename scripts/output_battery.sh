#!/usr/bin/env bash
# Runs a fixed battery of korvale-batch commands (every command, every format, the help texts and
# a few refusals) and writes what each printed, with its exit status, into one folder, the time
# taken left out. Two folders made by two builds compare with `diff -r`: a change that should
# not change what the program prints must leave them the same.
#
#   scripts/output_battery.sh BATCH_PROGRAM OUTPUT_FOLDER
#
# About a minute on two cores (the exact laws take most of it).
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 BATCH_PROGRAM OUTPUT_FOLDER" >&2
    exit 2
fi
batch=$(realpath "$1")
out=$2
mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drops what depends on the clock: the table's time lines, CSV's timing rows, JSON's timing.
untimed() {
    sed -E -e '/^時間（秒）/d' -e '/^ゲーム\/秒/d' -e '/^timing,/d' \
        -e 's/"timing": *\{[^}]*\}/"timing":{}/' \
        -e 's/"(seconds|games_per_second)": *[-0-9.e+]+/"\1":0/g'
}

# run NAME ARGS...: stdout, stderr and the exit status of one command.
run() {
    local name=$1
    shift
    local status=0
    (cd "$work" && "$batch" "$@") >"$out/$name.stdout" 2>"$out/$name.stderr" || status=$?
    untimed <"$out/$name.stdout" >"$out/$name.stdout.tmp" && mv "$out/$name.stdout.tmp" "$out/$name.stdout"
    echo "$status" >"$out/$name.status"
}

# Every format of one command.
formats() {
    local name=$1
    shift
    for format in table csv json; do
        run "$name.$format" "$@" --format "$format"
    done
}

formats exact exact
formats exact_s6_300_100 exact --setting 6 --big-end 300 --reg-end 100
formats exact_s1_laws exact --setting 1 --big-end 300 --reg-end 100 --laws
formats exact_s2_head exact --setting 2 --big-end 0 --reg-end 3 --laws
formats sweep_small sweep --setting 3 --big-ends 0:200:100 --reg-ends 0:100:100
formats sweep_frontier sweep --setting 5 --big-ends 0:200:100 --reg-ends 0:100:50 --frontier
formats sweep_means sweep --means-only
formats exact_capped exact --setting 1 --big-end 300 --reg-end 100 --max-games 2000 --laws
formats sweep_capped sweep --setting 2 --big-ends 0:200:100 --reg-ends 0:300:150 --max-games 1800
formats normal simulate normal --setting 2 --games 2000000 --threads 2 --seed 7
formats special simulate special --setting 4 --attempts 20000 --big-end 300 --reg-end 100 \
    --threads 2 --seed 7
run special_log simulate special --setting 4 --attempts 200 --big-end 0 --reg-end 0 \
    --threads 1 --seed 3 --log attempts.csv
cp "$work/attempts.csv" "$out/special_log.attempts.csv"
run day_log simulate normal --setting 6 --games 8000 --threads 1 --seed 11 --log day.csv
cp "$work/day.csv" "$out/day_log.day.csv"
formats infer infer day.csv --trailing 120
formats infer_joined infer day.csv --start joined --prior 1,1,1,2,2,2
printf 'BIG 120\nREG 45\nBIG 300\n' >"$work/bonuses.txt"
formats infer_lines infer bonuses.txt

run help --help
run version --version
for command in "simulate normal" "simulate special" exact sweep hunt infer; do
    # shellcheck disable=SC2086
    run "help_${command// /_}" $command --help
done

run bad_setting exact --setting 7
run bad_number simulate special --big-end abc
run bad_option exact --no-such-option
run bad_command frobnicate
run missing_history infer no-such-file.txt
run unending simulate special --big-end 99999999999 --reg-end 0
huge=1$(printf '0%.0s' $(seq 400))
run huge_big_end exact --setting 1 --big-end "$huge"
run huge_prior infer bonuses.txt --prior "1,1,1,1,1,$huge"
run reg_end_digits exact --setting 1 --big-end 0 --reg-end 100.5000000000000000001 --format csv
run escaped_option exact --setting $'\xc2\x85\x1b[2J'
run unopened_log simulate special --attempts 10 --threads 1 --seed 1 --log /nonexistent/rows.csv
