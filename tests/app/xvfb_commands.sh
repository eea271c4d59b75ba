#!/usr/bin/env bash
# Drives the real kvrplayer under a virtual X server with synthetic input: open a recording
# through the file dialog (typing its path), play, pause, step, seek, snapshot, stop and close, checking
# the window's pictures after each command. Exit 77 (skip) where the X tools are missing.
# usage: xvfb_commands.sh KVRPLAYER KVRTOOL
set -u

player=$1
kvrtool=$2
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=tests/app/xvfb_common.sh
. "$here/xvfb_common.sh"
require_tools xvfb-run xdotool import compare convert python3

work=$(mktemp -d /tmp/kvr-commands.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$kvrtool" synth "$work/rec.kvr" --force --channel 0:1:jpeg --channel 0:2:jpeg --seconds 30 >/dev/null || exit 1

cat >"$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
player=$1; work=$2; here=$3
SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$player" >"$work/player.log" 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; cat "$work/player.log"; kill "$pid" 2>/dev/null; exit 1; }

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^KVR Player$' | head -n 1)
[ -n "$window" ] || fail "no window named KVR Player"
# A known size puts every control where the layout table says: H = 600.
xdotool windowsize --sync "$window" 800 600 || fail "resize"
sleep 0.5

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
shot() { import -window "$window" "$work/$1.png" || fail "screenshot $1"; }
# Pixels that differ between two screenshots of the camera grid (5, 5, 790 x 510).
changed() {
  compare -metric AE "$work/$1.png" "$work/$2.png" -crop 790x510+5+5 null: 2>&1 | cut -d. -f1
}
grid_colours() { convert "$work/$1.png" -crop 790x510+5+5 +repage -format %k info:; }

# OPEN (570, H - 45), 35 x 35: the file dialog; type the recording's path.
click 587 572
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Open' | head -n 1)
[ -n "$dialog" ] || fail "no file dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null
sleep 0.5
xdotool type --delay 10 "$work/rec.kvr"
xdotool key Return
sleep 1.5
shot playing1; sleep 1; shot playing2
[ "$(changed playing1 playing2)" -gt 100 ] || fail "the opened recording does not play"
echo "open and play: pictures move"

# Pause (110, H - 45): the pictures hold still.
click 127 572
sleep 0.5
shot paused1; sleep 1; shot paused2
[ "$(changed paused1 paused2)" -eq 0 ] || fail "the pictures move while paused"
echo "pause: pictures hold"

# Step forward (155, H - 45): one frame further, then still again.
click 172 572
sleep 0.5
shot stepped1; sleep 0.7; shot stepped2
[ "$(changed paused2 stepped1)" -gt 0 ] || fail "step forward showed no new frame"
[ "$(changed stepped1 stepped2)" -eq 0 ] || fail "the pictures move after a step"
echo "step: one frame"

# Seek: a click on the position slider's groove near its end (20, H - 80, 241 x 30).
click 250 535
sleep 0.7
shot seeked
[ "$(changed stepped2 seeked)" -gt 0 ] || fail "seeking showed no other frame"
echo "seek: another frame"

# SnapShot (390, H - 80, 40 x 40) of the first view, selected by a click: a JPEG file.
click 100 100
click 410 540
saver=$(timeout 10 xdotool search --sync --onlyvisible --name '^Save' | head -n 1)
[ -n "$saver" ] || fail "no save dialog for the snapshot"
xdotool windowfocus --sync "$saver" 2>/dev/null
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 10 "$work/shot.jpg"
xdotool key Return
sleep 1
[ "$(head -c 2 "$work/shot.jpg" 2>/dev/null | od -An -tx1 | tr -d ' ')" = "ffd8" ] || fail "no JPEG snapshot written"
echo "snapshot: JPEG written"

# Play (200, H - 45), then Stop (245, H - 45): the views are emptied.
click 217 572
sleep 1
click 262 572
sleep 0.7
shot stopped
colours=$(grid_colours stopped)
[ "$colours" -lt 16 ] || fail "the views still show pictures after stop ($colours colours)"
echo "stop: views cleared"

python3 "$here/x11_close.py" "$window" || fail "could not ask the window to close"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "kvrplayer is still running 10 s after its window was closed"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "kvrplayer ended with status $status"
echo "close: kvrplayer ended"
INSIDE
chmod +x "$work/inside.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/inside.sh" "$player" "$work" "$here"
