#!/bin/sh
# with-xvfb.sh COMMAND [ARGUMENT...]: runs the command on a virtual X server of its own (Xvfb on
# the first free display number, 24-bit colour), so GUI tests see a display and never one of
# the user's. The server stops when the command ends; the command's exit status is returned.
set -u
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$scratch/display" 2>"$scratch/log" &
server=$!
waited=0
while [ ! -s "$scratch/display" ]; do
  if ! kill -0 "$server" 2>/dev/null || [ "$waited" -ge 200 ]; then
    echo "with-xvfb: the X server did not start" >&2
    cat "$scratch/log" >&2
    exit 1
  fi
  sleep 0.05
  waited=$((waited + 1))
done
DISPLAY=":$(head -n 1 "$scratch/display")"
export DISPLAY
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
