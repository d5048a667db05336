#!/bin/sh
# Starts the game in a window on a virtual X server and checks what a player
# would see: the title, a screenshot that matches the window's real pixels, a
# game started with the fire key, a clean exit after --quit-after-frames, and
# the room viewer.
#
# usage: window_test.sh TUMBOLD_EXECUTABLE WORK_FOLDER
set -u

exe=$1
work=$2
SKIP=77

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit $SKIP; }
for tool in xwd convert compare identify xdotool; do
  command -v $tool >/dev/null 2>&1 || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
[ -x "$exe" ] || fail "no executable at $exe"

rm -rf "$work"
mkdir -p "$work/home" "$work/data" "$work/config" || fail "cannot create $work"

# The X server picks a free display and reports it on descriptor 3.
xvfb_pid=
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "SKIP: Xvfb does not start: $(tail -1 "$work/xvfb.log")"; exit $SKIP; }
  i=$((i + 1))
  [ $i -gt 100 ] && { echo "SKIP: Xvfb reports no display"; exit $SKIP; }
  sleep 0.1
done
display=":$(head -1 "$work/display")"

# The game keeps its settings and screenshots in the user's folders: point them into the work folder.
# The X11, GL and D-Bus libraries leave a few blocks behind at exit that a
# sanitizer build would report as leaks; the window-less run at the end keeps
# leak checking for the game's own code.
x_asan="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
run_game() {
  env DISPLAY="$display" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
      SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$x_asan" "$exe" "$@"
}
shots="$work/data/Tumbold/Quillhaven/screenshots"

wait_for_shots() {  # COUNT: until that many screenshots exist (60 s at most)
  n=0
  while [ "$(ls "$shots" 2>/dev/null | wc -l)" -lt "$1" ]; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before screenshot $1: $(cat "$work/game.log")"
    n=$((n + 1))
    [ $n -gt 600 ] && fail "no screenshot $1 within 60 s"
    sleep 0.1
  done
  sleep 0.3
}

newest_shot() { ls -t "$shots"/*.png | head -1; }

# Compares the window's real pixels on the X screen with a screenshot the game
# took of its composed picture: same size after the window's 3x scaling, and
# at most 5 % of the pixels of a clearly different colour.
compare_window() {  # NAME SCREENSHOT
  name=$1
  shot=$2
  xwd -root -silent -display "$display" -out "$work/$name.xwd" || fail "xwd failed"
  convert "xwd:$work/$name.xwd" "$work/$name-root.png" || fail "cannot convert the X screen dump"
  [ "$(identify -format '%wx%h' "$work/$name-root.png")" = "1280x800" ] || fail "the X screen is not 1280x800"
  size=$(identify -format '%wx%h' "$shot")
  [ "$size" = "348x240" ] || fail "$name: screenshot is $size, not the 348x240 framed picture"
  # The window is 1044 x 720, centred on the 1280 x 800 screen.
  convert "$work/$name-root.png" -crop 1044x720+118+40 +repage "$work/$name-window.png" || fail "crop failed"
  convert "$shot" -filter point -resize 300% "$work/$name-expected.png" || fail "resize failed"
  colours=$(identify -format '%k' "$work/$name-expected.png")
  [ "$colours" -ge 4 ] || fail "$name: the composed picture has only $colours colours"
  differing=$(compare -metric AE -fuzz 12% "$work/$name-window.png" "$work/$name-expected.png" null: 2>&1)
  case $differing in
    ''|*[!0-9]*) fail "$name: compare failed: $differing" ;;
  esac
  total=$((1044 * 720))
  echo "$name: $differing of $total window pixels differ from the composed picture"
  [ $((differing * 20)) -le $total ] || fail "$name: the window does not show the composed picture (see $work)"
}

# 1. --press-f1-at 150 takes a screenshot at frame 150. A second one, taken a
#    second later when the title has surely faded in however fast frames come,
#    must match what the window shows.
# Started directly (not through run_game) so that the pid is the game's own.
env DISPLAY="$display" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$x_asan" "$exe" --windowed --quit-after-frames 1000000 --press-f1-at 150 \
    >"$work/game.out" 2>"$work/game.log" &
game_pid=$!
wait_for_shots 1
sleep 1
DISPLAY="$display" xdotool mousemove 640 400 key F1 || fail "xdotool cannot press keys"
wait_for_shots 2
title_shot=$(newest_shot)
compare_window title "$title_shot"

# 2. Fire starts a game; a screenshot of play differs from the title and matches the window.
# Keys are read as held once per tick: hold fire like a player would, not for a microsecond.
DISPLAY="$display" xdotool keydown space
sleep 0.4
DISPLAY="$display" xdotool keyup space
sleep 3
DISPLAY="$display" xdotool key F1
wait_for_shots 3
play_shot=$(newest_shot)
[ "$play_shot" != "$title_shot" ] || fail "no second screenshot"
changed=$(compare -metric AE -fuzz 12% "$title_shot" "$play_shot" null: 2>&1)
[ "${changed:-0}" -gt 10000 ] || fail "the fire key did not start a game ($changed pixels changed)"
compare_window play "$play_shot"

# 3. The hero walks while the right arrow is held.
DISPLAY="$display" xdotool keydown Right
sleep 1
DISPLAY="$display" xdotool keyup Right
DISPLAY="$display" xdotool key F1
wait_for_shots 4
walk_shot=$(newest_shot)
moved=$(compare -metric AE -fuzz 12% "$play_shot" "$walk_shot" null: 2>&1)
[ "${moved:-0}" -gt 50 ] || fail "holding the right arrow changed nothing ($moved pixels)"

# 4. Closing the window ends the game cleanly (SDL turns SIGTERM into a quit event).
kill -TERM "$game_pid"
wait "$game_pid"
code=$?
game_pid=
[ $code -eq 0 ] || fail "closing the window gave exit code $code: $(cat "$work/game.log")"

# 5. --quit-after-frames: exactly that many frames, exit code 0, one line saying so.
run_game --windowed --quit-after-frames 30 >"$work/frames.out" 2>"$work/frames.log"
code=$?
[ $code -eq 0 ] || fail "--quit-after-frames 30 gave exit code $code: $(cat "$work/frames.log")"
grep -qx '\[info\] presented 30 frames' "$work/frames.log" || fail "no 'presented 30 frames' line: $(cat "$work/frames.log")"

# 6. The room viewer opens, presents and ends the same way.
run_game --viewer --quit-after-frames 5 >"$work/viewer.out" 2>"$work/viewer.log"
code=$?
[ $code -eq 0 ] || fail "the viewer gave exit code $code: $(cat "$work/viewer.log")"
grep -qx '\[info\] presented 5 frames' "$work/viewer.log" || fail "viewer: no 'presented 5 frames' line"

# 7. The whole loop on SDL's window-less video driver: software renderer, a
#    screenshot from --press-f1-at, a clean exit.
rm -rf "$work/nowindow"
env HOME="$work/nowindow" XDG_DATA_HOME="$work/nowindow" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$exe" --quit-after-frames 40 --press-f1-at 20 >"$work/nowindow.out" 2>"$work/nowindow.log"
code=$?
[ $code -eq 0 ] || fail "window-less run gave exit code $code: $(cat "$work/nowindow.log")"
grep -qx '\[info\] presented 40 frames' "$work/nowindow.log" || fail "window-less run: no 'presented 40 frames' line"
ls "$work"/nowindow/Tumbold/Quillhaven/screenshots/tumbold_*.png >/dev/null 2>&1 ||
  fail "window-less run: --press-f1-at took no screenshot"

echo "PASS"
