#!/usr/bin/env bash
# Lists the program's functions longer than a limit (80 lines unless given), longest first,
# and fails if there is any. Tests and benchmarks are left out. Needs Universal Ctags.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-80}
if ! ctags --version 2>/dev/null | grep -q "Universal Ctags"; then
    echo "long_functions.sh needs Universal Ctags (Debian package universal-ctags)" >&2
    exit 2
fi
long=$(ctags -R -x --fields=+ne --kinds-c++=f --_xformat='%{end} %{line} %F %N' \
           common machine analysis report batch ui app |
       awk -v limit="$limit" '$1 != "" && $1 - $2 + 1 > limit { print $1 - $2 + 1, $3 ":" $2, $4 }' |
       sort -rn)
[ -z "$long" ] && exit 0
echo "functions over $limit lines:"
echo "$long"
exit 1
