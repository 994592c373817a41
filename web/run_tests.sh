#!/usr/bin/env bash
# The page's tests: builds the engine and the site, installs the tests' packages from the lock
# file, serves the site on a free port, runs every test in web/tests and stops the server.
# The exit status is the tests'.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/web.sh" --build-only --for-tests
(cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)

log=$(mktemp)
node "$root/web/tools/serve.mjs" --root "$root/build/web/site" --port 0 >"$log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 50); do
    grep -q '^Korvale: ' "$log" && break
    kill -0 "$server" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.1
done
url=$(sed -n 's/^Korvale: //p' "$log")
[ -n "$url" ] || { echo "run_tests.sh: the server did not start" >&2; cat "$log" >&2; exit 1; }

cd "$root"
status=0
KORVALE_URL="$url" node --no-experimental-fetch --test web/tests/ || status=$?
exit "$status"
