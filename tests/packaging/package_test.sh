#!/usr/bin/env bash
# The Debian package of a build: CPack makes it from the build's programs, dpkg unpacks it into
# a scratch root, and the programs and files are tried from there as they would be installed.
# Usage: package_test.sh CPACK BUILD_DIR SOURCE_DIR SCRATCH_DIR ui|no-ui
set -euo pipefail
cpack=$1 build=$2 source=$3 scratch=$4 ui=$5

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack could not make the package"
fi
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "not one .deb: ${debs[*]}"
deb=${debs[0]}
root=$scratch/root
dpkg -x "$deb" "$root"
id=io.github.korvale.Korvale

# Lintian finds no error in it (its warnings and notes are left to the one who packages).
lintian=$(lintian "$deb" 2>&1) || fail "lintian: $lintian"
! grep -q '^E: ' <<<"$lintian" || fail "lintian: $lintian"

# What the package holds, and nothing else.
expected=(usr/bin/korvale-batch usr/share/bash-completion/completions/korvale-batch
          usr/share/doc/korvale/LICENSE usr/share/doc/korvale/README.md usr/share/doc/korvale/guide.md
          usr/share/doc/korvale/changelog.Debian.gz usr/share/doc/korvale/copyright
          usr/share/lintian/overrides/korvale usr/share/man/man1/korvale-batch.1.gz)
sizes=(16 32 48 64 128 256)
if [ "$ui" = ui ]; then
    expected+=(usr/bin/korvale usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
               usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/man/man1/korvale.1.gz)
    for n in "${sizes[@]}"; do
        expected+=(usr/share/icons/hicolor/${n}x$n/apps/$id.png)
    done
fi
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort) ||
    fail "the package holds other files than the install rules name"

# Stripped programs, and no build or source folder named anywhere in the package.
for program in "$root"/usr/bin/*; do
    sections=$(readelf -S --wide "$program")
    ! grep -q '\.symtab' <<<"$sections" || fail "$program is not stripped"
done
for folder in "$build" "$source"; do
    found=$(grep -rlF "$folder" "$root" || true)
    [ -z "$found" ] || fail "$folder is named in $found"
done

# The version of the programs is that of the package.
version=$(dpkg-deb -f "$deb" Version)
batch=$root/usr/bin/korvale-batch
# It names the vector code that runs: the baseline's when asked for, which every x86-64 has.
[ "$(KORVALE_VECTOR=sse2 "$batch" --version)" = "korvale-batch ${version%-*} (vector code: sse2)" ] ||
    fail "korvale-batch --version says '$(KORVALE_VECTOR=sse2 "$batch" --version)', the package is $version"

# The installed korvale-batch works its figures out: the table names the setting and the
# payout rate, and the long run's figures hold together (the modes' shares make the whole, the
# chances of BIG and REG add up to that of a bonus, the mean wait from BIG to BIG is the games
# per BIG, the payout rate is a plausible one).
table=$("$batch" exact --setting 1)
for word in 設定１ BIG確率 機械割; do
    grep -q "$word" <<<"$table" || fail "exact --setting 1 does not show $word: $table"
done
"$batch" exact --setting 1 --format csv | awk -F, '
    NF == 12 && $1 == "exact" && $2 == "1" && $3 == "long_run" && $10 != "" { v[$6] = $10 }
    END {
        for (m = 0; m < 6; m++) shares += v["mode" m "_share"]
        bonus = 1 / v["big_odds"] + 1 / v["reg_odds"]
        ok = v["big_odds"] > 1 && v["reg_odds"] > 1 && (shares - 1) ^ 2 < 1e-18 &&
             (bonus * v["bonus_odds"] - 1) ^ 2 < 1e-18 &&
             (v["big_gap_mean"] / v["big_odds"] - 1) ^ 2 < 1e-12 &&
             v["payout_percent"] > 50 && v["payout_percent"] < 150
        if (!ok) {
            printf "exact --setting 1 --format csv does not hold together:"
            for (k in v) printf " %s=%s", k, v[k]
            print ""
            exit 1
        }
    }' || fail "exact --setting 1 from the package"

# Both manual pages format without a warning.
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $page: $warnings"
done

[ "$ui" = ui ] || exit 0

# The window starts from the installed path and keeps running (it quits only when told to).
status=0
QT_QPA_PLATFORM=offscreen timeout 2 "$root/usr/bin/korvale" >"$scratch/korvale.log" 2>&1 || status=$?
[ $status -eq 124 ] || fail "korvale stopped with status $status: $(cat "$scratch/korvale.log")"

# The desktop entry and the metadata pass their validators without a warning.
desktop-file-validate "$root/usr/share/applications/$id.desktop" ||
    fail "desktop-file-validate (package desktop-file-utils)"
metainfo=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $metainfo"
! grep -qE '^[EW]: ' <<<"$metainfo" || fail "appstreamcli validate: $metainfo"
grep -q "<release version=\"${version%-*}\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the newest release in the metadata is not ${version%-*}"

# Every PNG icon is as large as the folder it is in says (width and height in its header).
for n in "${sizes[@]}"; do
    read -r -a header < <(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${n}x$n/apps/$id.png")
    width=$(((header[0] << 24) | (header[1] << 16) | (header[2] << 8) | header[3]))
    height=$(((header[4] << 24) | (header[5] << 16) | (header[6] << 8) | header[7]))
    [ "$width" -eq "$n" ] && [ "$height" -eq "$n" ] || fail "the ${n}x$n icon is ${width}x$height"
done
