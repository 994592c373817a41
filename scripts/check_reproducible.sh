#!/usr/bin/env bash
# Builds the Debian package of the last commit twice, from two copies of it in different
# folders (so that the source and build folders differ), without ccache, and checks that the
# two packages are the same bytes. On a difference it names the files that differ. Slow (two
# whole builds): not part of test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "note: uncommitted changes are left out; the last commit is built" >&2

commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
export CCACHE_DISABLE=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

packages=()
for copy in first second/one/level/deeper; do
    mkdir -p "$work/$copy"
    git archive "$commit" | tar -x -C "$work/$copy"
    echo "== building in $work/$copy"
    packages+=("$("$work/$copy/scripts/build_package.sh" | tail -n 1)")
done

if cmp -s "${packages[0]}" "${packages[1]}"; then
    echo "reproducible: ${commit:0:12} $(basename "${packages[0]}") $(sha256sum <"${packages[0]}" | cut -c1-64)"
    exit 0
fi
echo "the two packages differ:" >&2
for i in 0 1; do
    dpkg-deb -R "${packages[$i]}" "$work/unpacked$i"
done
diff -r "$work/unpacked0" "$work/unpacked1" >&2 || true
if diff -q <(dpkg-deb -c "${packages[0]}") <(dpkg-deb -c "${packages[1]}") >/dev/null; then
    echo "(the files are the same: the archives differ in how they are made)" >&2
else
    diff <(dpkg-deb -c "${packages[0]}") <(dpkg-deb -c "${packages[1]}") >&2 || true
fi
exit 1
