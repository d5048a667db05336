#!/bin/sh
# Starts the game in a window on a virtual X server with a window manager and
# checks what a player would see: the title, screenshots that match the
# window's real pixels through the CRT program, a game started with the fire
# key, full screen on and off, a clean exit after --quit-after-frames, the room
# viewer, leaving full screen without a window manager, and the renderer
# fallback when OpenGL is too old.
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
for tool in xwd convert compare identify xdotool xwininfo xprop openbox; do
  command -v $tool >/dev/null 2>&1 || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
[ -x "$exe" ] || fail "no executable at $exe"

rm -rf "$work"
mkdir -p "$work/home" "$work/data" "$work/config" || fail "cannot create $work"

# The X server picks a free display and reports it on descriptor 3. Its
# screen has the size of a common monitor, on which full screen shows the
# picture 4.5 times enlarged with black bars at the sides.
xvfb_pid=
wm_pid=
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill -CONT "$game_pid" 2>/dev/null && kill "$game_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "SKIP: Xvfb does not start: $(tail -1 "$work/xvfb.log")"; exit $SKIP; }
  i=$((i + 1))
  [ $i -gt 100 ] && { echo "SKIP: Xvfb reports no display"; exit $SKIP; }
  sleep 0.1
done
display=":$(head -1 "$work/display")"

# A window manager, as on every desktop: it places and frames the window and
# carries out full-screen requests. Without one nothing resizes the window.
start_wm() {
  DISPLAY="$display" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  n=0
  until DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    kill -0 "$wm_pid" 2>/dev/null || fail "openbox does not start: $(tail -1 "$work/openbox.log")"
    n=$((n + 1))
    [ $n -gt 100 ] && fail "openbox does not take over the screen"
    sleep 0.1
  done
}
stop_wm() {
  kill "$wm_pid" 2>/dev/null
  wait "$wm_pid" 2>/dev/null
  wm_pid=
}
start_wm

# The game keeps its settings and screenshots in the user's folders: point them into the work folder.
# The X11, GL and D-Bus libraries leave a few blocks behind at exit that a
# sanitizer build would report as leaks; the window-less run at the end keeps
# leak checking for the game's own code.
x_asan="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
run_game() {
  env DISPLAY="$display" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
      SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$x_asan" "$exe" "$@"
}
# Started in the background, so that game_pid is the game's own; LOG names its log.
start_game() {  # LOG ARGS...
  log=$1
  shift
  env DISPLAY="$display" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
      SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$x_asan" "$exe" "$@" >"$work/$log.out" 2>"$work/$log.log" &
  game_pid=$!
  game_log="$work/$log.log"
}
end_game() {  # closing the window ends the game cleanly (SDL turns SIGTERM into a quit event)
  kill -TERM "$game_pid"
  wait "$game_pid"
  code=$?
  game_pid=
  [ $code -eq 0 ] || fail "closing the window gave exit code $code: $(cat "$game_log")"
}
shots="$work/data/Tumbold/Quillhaven/screenshots"

wait_for_shots() {  # COUNT: until that many screenshots exist (60 s at most)
  n=0
  while [ "$(ls "$shots" 2>/dev/null | wc -l)" -lt "$1" ]; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before screenshot $1: $(cat "$game_log")"
    n=$((n + 1))
    [ $n -gt 600 ] && fail "no screenshot $1 within 60 s"
    sleep 0.1
  done
  sleep 0.3
}

newest_shot() { ls -t "$shots"/*.png | head -1; }

# The game window's drawable on the X screen, frame excluded: "X Y W H".
window_geometry() {
  id=$(DISPLAY="$display" xdotool search --pid "$game_pid" 2>/dev/null | head -1)
  [ -n "$id" ] || return 1
  DISPLAY="$display" xwininfo -id "$id" |
    awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
         /^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print x, y, w, h}'
}

wait_for_window() {  # WxH: until the window has that size (10 s at most)
  n=0
  while :; do
    set -- "$1" $(window_geometry)
    [ "$4x$5" = "$1" ] && break
    n=$((n + 1))
    [ $n -gt 100 ] && fail "the window is $4x$5, not $1"
    sleep 0.1
  done
  sleep 0.5
}

press() {  # KEY...: with the pointer over the window, which has the focus
  set -- $(window_geometry) "$@"
  DISPLAY="$display" xdotool mousemove $(($1 + $3 / 2)) $(($2 + $4 / 2)) || fail "xdotool cannot move the pointer"
  shift 4
  DISPLAY="$display" xdotool "$@" || fail "xdotool cannot press keys"
}

# The composed picture through the GPU programs at the self-test's sizes,
# which include the window's 3x (1044 x 720) and full screen's 1566 x 1080;
# the self-test must pass on it.
through_programs() {  # SHOT FOLDER
  run_game --crt-test "$1" --out "$2" >"$2.out" 2>"$2.log"
  code=$?
  [ $code -eq 0 ] || fail "--crt-test on $1 gave exit code $code: $(cat "$2.log")"
  [ "$(ls "$2"/*.png | wc -l)" -eq 12 ] || fail "--crt-test did not write twelve pictures into $2"
  [ "$(grep -c '^\[info\] crt [0-9]*x[0-9]*: max channel difference .*: PASS$' "$2.log")" -eq 4 ] ||
    fail "--crt-test does not report four passing sizes: $(cat "$2.log")"
}

# Compares what the window shows on the X screen with the picture the game
# composed (its screenshot) drawn through the same program: the picture laid
# out on the drawable's real size, centred, black around it, and at most 5 %
# of its pixels of a clearly different colour (the game moves on between the
# screenshot and the screen dump).
compare_window() {  # NAME SCREENSHOT PROGRAM (crt_gpu, or point for the renderer's whole-number scaling)
  name=$1
  shot=$2
  program=$3
  size=$(identify -format '%wx%h' "$shot")
  [ "$size" = "348x240" ] || fail "$name: screenshot is $size, not the 348x240 framed picture"
  xwd -root -silent -display "$display" -out "$work/$name.xwd" || fail "xwd failed"
  set -- $(window_geometry)
  [ $# -eq 4 ] || fail "$name: the game window is not on the X screen"
  wx=$1 wy=$2 ww=$3 wh=$4
  # Under Xvfb nothing paces the game's frames: it would take the CPU from
  # the work below. Its window keeps its last picture meanwhile.
  kill -STOP "$game_pid"
  convert "xwd:$work/$name.xwd" "$work/$name-root.png" || fail "cannot convert the X screen dump"
  # The presenter's layout: as large as fits, aspect kept, centred.
  set -- $(awk -v w="$ww" -v h="$wh" 'BEGIN {
    s = w / 348; if (h / 240 < s) s = h / 240
    pw = int(348 * s + 0.5); ph = int(240 * s + 0.5)
    print pw, ph, int((w - pw) / 2), int((h - ph) / 2) }')
  pw=$1 ph=$2 px=$3 py=$4
  convert "$work/$name-root.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$work/$name-window.png" ||
    fail "crop failed"
  convert "$work/$name-window.png" -crop "${pw}x${ph}+${px}+${py}" +repage "$work/$name-picture.png" ||
    fail "crop failed"
  if [ "$program" = point ]; then
    convert "$shot" -filter point -resize "${pw}x${ph}!" "$work/$name-expected.png" || fail "resize failed"
  else
    through_programs "$shot" "$work/$name-programs"
    cp "$work/$name-programs/${program}_${pw}x${ph}.png" "$work/$name-expected.png" 2>/dev/null ||
      fail "$name: no ${program} picture of ${pw}x${ph} to compare a ${ww}x${wh} window with"
  fi
  colours=$(identify -format '%k' "$shot")
  [ "$colours" -ge 4 ] || fail "$name: the composed picture has only $colours colours"
  differing=$(compare -metric AE -fuzz 12% "$work/$name-picture.png" "$work/$name-expected.png" null: 2>&1)
  case $differing in
    ''|*[!0-9]*) fail "$name: compare failed: $differing" ;;
  esac
  total=$((pw * ph))
  echo "$name: ${ww}x${wh} window, picture ${pw}x${ph} at +${px}+${py}: $differing of $total pixels differ"
  [ $((differing * 20)) -le $total ] || fail "$name: the window does not show the composed picture (see $work)"
  # The bars beside or above the picture are black.
  if [ "$px" -gt 0 ]; then
    for bar in "${px}x${wh}+0+0" "${px}x${wh}+$((ww - px))+0"; do
      [ "$(convert "$work/$name-window.png" -crop "$bar" +repage -format '%[max]' info:)" = 0 ] ||
        fail "$name: the bar $bar beside the picture is not black"
    done
  fi
  kill -CONT "$game_pid"
}

taken=0
next_shot() {  # waits for one more screenshot and names it in $shot
  taken=$((taken + 1))
  wait_for_shots $taken
  shot=$(newest_shot)
}

# 1. --press-f1-at 150 takes a screenshot at frame 150. A second one, taken a
#    second later when the title has surely faded in however fast frames come,
#    must match what the window shows through the CRT program.
start_game game --windowed --quit-after-frames 1000000 --press-f1-at 150
next_shot
wait_for_window 1044x720
sleep 1
press key F1
next_shot
title_shot=$shot
compare_window title "$title_shot" crt_gpu

# 2. Fire starts a game: a screenshot of play differs from the title.
# Keys are read as held once per tick: hold fire like a player would, not for
# a microsecond. A frame slower than the hold (a sanitizer build on a busy
# machine) can miss it, so a player would press again.
for attempt in 1 2 3; do
  press keydown space
  sleep 0.4
  press keyup space
  sleep 3
  press key F1
  next_shot
  play_shot=$shot
  changed=$(compare -metric AE -fuzz 12% "$title_shot" "$play_shot" null: 2>&1)
  [ "${changed:-0}" -gt 10000 ] && break
done
[ "${changed:-0}" -gt 10000 ] || fail "the fire key did not start a game ($changed pixels changed)"

# 3. The hero walks while the right arrow is held.
press keydown Right
sleep 1
press keyup Right
press key F1
next_shot
moved=$(compare -metric AE -fuzz 12% "$play_shot" "$shot" null: 2>&1)
[ "${moved:-0}" -gt 50 ] || fail "holding the right arrow changed nothing ($moved pixels)"

# 4. F11 fills the screen: the picture is laid out on the drawable's real
#    size, 4.5 times enlarged between black bars. Alt+Return brings the
#    window back, and the picture fits it again.
press key F11
wait_for_window 1920x1080
press key F1
next_shot
compare_window fullscreen "$shot" crt_gpu
press key alt+Return
wait_for_window 1044x720
press key F1
next_shot
compare_window windowed-again "$shot" crt_gpu

# 5. Closing the window ends the game cleanly.
end_game

# 6. --quit-after-frames: exactly that many frames, exit code 0, one line saying so.
run_game --windowed --quit-after-frames 30 >"$work/frames.out" 2>"$work/frames.log"
code=$?
[ $code -eq 0 ] || fail "--quit-after-frames 30 gave exit code $code: $(cat "$work/frames.log")"
grep -qx '\[info\] presented 30 frames' "$work/frames.log" || fail "no 'presented 30 frames' line: $(cat "$work/frames.log")"

# 7. The room viewer opens, presents and ends the same way.
run_game --viewer --quit-after-frames 5 >"$work/viewer.out" 2>"$work/viewer.log"
code=$?
[ $code -eq 0 ] || fail "the viewer gave exit code $code: $(cat "$work/viewer.log")"
grep -qx '\[info\] presented 5 frames' "$work/viewer.log" || fail "viewer: no 'presented 5 frames' line"

# 8. Without a window manager nobody carries out the full-screen request and
#    the window keeps its size, though SDL reports the desktop's. Leaving full
#    screen must still bring the picture back into the window.
stop_wm
start_game nowm --windowed --quit-after-frames 1000000 --press-f1-at 100
next_shot
wait_for_window 1044x720
press key F11
sleep 1
press key F11
sleep 1
press key F1
next_shot
compare_window nowm-back "$shot" crt_gpu
end_game

# 9. Mesa offering only OpenGL 3.0: the game runs on SDL's renderer and says
#    why, its window still shows the composed picture (whole-number scaling,
#    sharp pixels), and the CRT self-test fails with its own line.
export MESA_GL_VERSION_OVERRIDE=3.0
start_game oldgl --windowed --quit-after-frames 1000000 --press-f1-at 100
next_shot
sleep 1
press key F1
next_shot
compare_window oldgl "$shot" point
end_game
grep -q '^\[info\] no OpenGL 3.2 (.*): plain scaling, no CRT$' "$work/oldgl.log" ||
  fail "the fallback to the renderer is not logged: $(cat "$work/oldgl.log")"
unset MESA_GL_VERSION_OVERRIDE

crt_test_refused() {  # NAME GL_VERSION GLSL_VERSION REASON
  export MESA_GL_VERSION_OVERRIDE=$2 MESA_GLSL_VERSION_OVERRIDE=$3
  run_game --crt-test "$shot" --out "$work/$1" >"$work/$1.out" 2>"$work/$1.log"
  code=$?
  unset MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE
  [ $code -eq 1 ] || fail "$1: --crt-test without a usable OpenGL 3.2 gave exit code $code"
  grep -qF "[info] $4" "$work/$1.log" || fail "$1: the reason is not logged: $(cat "$work/$1.log")"
  tail -1 "$work/$1.log" | grep -qx '\[error\] crt test: no OpenGL 3.2' ||
    fail "$1: --crt-test does not end with its line: $(cat "$work/$1.log")"
  [ -d "$work/$1" ] || fail "$1: --crt-test did not create its output folder"
}
crt_test_refused oldgl-crt 3.0 130 "no OpenGL 3.2 ("
# A 3.2 context whose shading language is too old for the programs.
crt_test_refused oldglsl-crt 3.2 140 "OpenGL shaders unavailable: plain scaling, no CRT"

# 10. The whole loop on SDL's window-less video driver: software renderer, a
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
