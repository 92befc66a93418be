#!/usr/bin/env bash
# Runs a command in an X server of its own:  with-xvfb.sh <command> [arguments]
# The server chooses a free display itself (-displayfd), so tests started together never race for one
# the way xvfb-run -a can. No reset when the last client goes: a test may kill the program and start it again.
set -euo pipefail
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do
    [[ -s "$work/display" ]] && break
    kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
    sleep 0.1
done
[[ -s "$work/display" ]] || { echo "Xvfb gave no display" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
status=0
"$@" || status=$?
exit "$status"
