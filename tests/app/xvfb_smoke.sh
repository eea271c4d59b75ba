#!/usr/bin/env bash
# Starts the real kvrplayer under a virtual X server on a recording made by kvrtool synth: the
# window shows moving pictures, and asking it to close the way a window manager's close box does
# ends the program. Exit 77 (skip) where the X tools are missing.
# usage: xvfb_smoke.sh KVRPLAYER KVRTOOL   (KVR_SMOKE_SCREENSHOT=FILE.png keeps the first picture)
set -u

player=$1
kvrtool=$2
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=tests/app/xvfb_common.sh
. "$here/xvfb_common.sh"
require_tools xvfb-run xdotool import compare python3

work=$(mktemp -d /tmp/kvr-smoke.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$kvrtool" synth "$work/smoke.kvr" --force --channel 0:1:jpeg --channel 0:2:mpeg4 --seconds 10 >/dev/null || exit 1

# The part that runs inside the virtual display.
cat >"$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
player=$1; work=$2; here=$3
SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$player" "$work/smoke.kvr" >"$work/player.log" 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; cat "$work/player.log"; kill "$pid" 2>/dev/null; exit 1; }

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^KVR Player$' | head -n 1)
[ -n "$window" ] || fail "no window named KVR Player"
sleep 1
import -window root "$work/shot1.png" || fail "first screenshot"
sleep 1
import -window root "$work/shot2.png" || fail "second screenshot"
differing=$(compare -metric AE "$work/shot1.png" "$work/shot2.png" null: 2>&1)
echo "pixels that changed in a second: $differing"
[ "${differing%%.*}" -gt 100 ] 2>/dev/null || fail "the pictures do not move"

python3 "$here/x11_close.py" "$window" || fail "could not ask the window to close"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "kvrplayer is still running 10 s after its window was closed"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "kvrplayer ended with status $status"
echo "kvrplayer closed cleanly"
INSIDE
chmod +x "$work/inside.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/inside.sh" "$player" "$work" "$here"
result=$?
if [ -n "${KVR_SMOKE_SCREENSHOT:-}" ] && [ -f "$work/shot1.png" ]; then
  cp "$work/shot1.png" "$KVR_SMOKE_SCREENSHOT"
fi
exit $result
