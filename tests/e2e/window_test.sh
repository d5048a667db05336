#!/bin/sh
# Starts the game in a window on a virtual X server with a window manager and
# checks what a player would see: the title, screenshots that match the
# window's real pixels through the CRT program, a game started with the fire
# key, full screen on and off, a clean exit after --quit-after-frames, the room
# viewer, the pause menu (a game saved to a slot and the CRT effect switched
# off in one run, both found again in the next), the settings file deciding
# full screen at start-up, leaving full screen without a
# window manager, and the renderer fallback when OpenGL is too old.
#
# usage: window_test.sh TUMBOLD_EXECUTABLE WORK_FOLDER GOLDEN_FOLDER
# With TUMBOLD_UPDATE_GOLDENS set, the menu golden is written instead of compared.
set -u

exe=$1
work=$2
golden=$3
SKIP=77

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit $SKIP; }
# An X server there (XQuartz's) does not put the game on it: SDL opens a Cocoa window.
[ "$(uname -s)" = Darwin ] && { echo "SKIP: on macOS the game's window is not an X11 window"; exit $SKIP; }
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
data_home="$work/data"
start_game() {  # LOG ARGS...
  log=$1
  shift
  env DISPLAY="$display" HOME="$work/home" XDG_DATA_HOME="$data_home" XDG_CONFIG_HOME="$work/config" \
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

wait_for_game_window() {  # until the game's window is on the X screen (60 s at most)
  n=0
  until [ -n "$(window_geometry)" ]; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window was shown: $(cat "$game_log")"
    n=$((n + 1))
    [ $n -gt 600 ] && fail "no game window within 60 s"
    sleep 0.1
  done
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
compare_window() {  # NAME SCREENSHOT PROGRAM (crt_gpu, sharp, or point for the renderer's whole-number scaling)
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

# 8. The pause menu. Start a game in a folder of its own, walk out of the
#    first room, press Escape: the menu is drawn over the picture and into a
#    screenshot (its panel is compared with a golden), the window shows it, and
#    the game stands still while it is open. Save to a slot, switch the CRT
#    effect off in the settings (the window then shows the sharp program), and
#    close the window.
data_home="$work/menu-data"
saves="$data_home/Tumbold/Quillhaven/saves"
shots="$data_home/Tumbold/Quillhaven/screenshots"
shot() {  # one more screenshot with F1, named in $last_shot
  press key F1
  next_shot
  last_shot=$shot
}
# Keys are read as held once per tick or frame: hold them like a player would,
# not for a microsecond, but in one xdotool run so that a busy machine does not
# stretch the press into the menu's auto-repeat (after 18 frames).
tap() {  # KEY [SECONDS]
  press keydown "$1" sleep "${2:-0.1}" keyup "$1"
  sleep 0.25
}
start_menu_game() {  # NAME: started and shown, on the faded-in title ($last_shot)
  taken=0
  start_game "$1" --windowed --quit-after-frames 1000000 --press-f1-at 100
  next_shot
  wait_for_window 1044x720
  sleep 1
  shot
}
# Fire on the title (screenshot $last_shot) until a game has started: a press
# the game did not see (a busy machine may not run it while the key is down)
# is tried again. $last_shot is then the first picture of play.
start_play() {
  title=$last_shot
  tries=0
  while :; do
    tap space 0.5
    sleep 2
    shot
    changed=$(compare -metric AE -fuzz 12% "$title" "$last_shot" null: 2>&1)
    [ "${changed:-0}" -gt 10000 ] && break
    tries=$((tries + 1))
    [ $tries -lt 5 ] || fail "the fire key did not start a game ($changed pixels changed)"
  done
}
room_name() {  # SCREENSHOT OUT: the panel's box with the room's name
  convert "$1" -crop 224x12+8+39 +repage "$2" || fail "crop failed"
}
differ() {  # A B: the number of clearly different pixels
  compare -metric AE -fuzz 12% "$1" "$2" null: 2>&1
}
# Arrow keys reach the menu as held keys polled once a frame, so a busy machine
# can miss a short press or stretch it into a repeat: look at the menu after
# each press instead of counting presses. The selected row lies on a yellow
# bar; a view's rows are 11 pixels apart.
selected_row() {  # ROWS X Y0: the selected row in $last_shot, probed at (X, Y0 + 11 row), or -1
  i=0
  while [ $i -lt "$1" ]; do
    red=$(convert "$last_shot" -format "%[fx:int(255*p{$2,$(($3 + 11 * i))}.r)]" info:)
    [ "$red" -gt 128 ] && { echo $i; return; }
    i=$((i + 1))
  done
  echo -1
}
select_row() {  # VIEW ROW: in the open main (six rows) or settings (seven rows) view
  tries=0
  while :; do
    shot
    case $1 in
      main) row=$(selected_row 6 124 123) ;;
      settings) row=$(selected_row 7 184 117) ;;
    esac
    [ "$row" = "$2" ] && return
    [ "$row" = -1 ] && fail "the $1 view of the pause menu is not shown (see $last_shot)"
    tries=$((tries + 1))
    [ $tries -lt 15 ] || fail "the arrow keys do not reach row $2 of the $1 view"
    tap Down 0.2
  done
}

start_menu_game menu-first
start_play
room_name "$last_shot" "$work/first-room.png"
tries=0
while :; do
  tap Right 3
  shot
  room_name "$last_shot" "$work/walked-room.png"
  [ "$(differ "$work/first-room.png" "$work/walked-room.png")" -gt 50 ] && break
  tries=$((tries + 1))
  [ $tries -lt 4 ] || fail "walking right did not leave the first room"
done
tap Escape
shot
menu_shot=$last_shot
room_name "$menu_shot" "$work/saved-room.png"
convert "$menu_shot" -crop 192x108+78+92 +repage "$work/menu-panel.png" || fail "crop failed"
[ -n "${TUMBOLD_UPDATE_GOLDENS:-}" ] && cp "$work/menu-panel.png" "$golden/pause_menu.png"
# The panel lets a trace of the dimmed game through: a small fuzz, no other difference.
off=$(compare -metric AE -fuzz 6% "$work/menu-panel.png" "$golden/pause_menu.png" null: 2>&1)
[ "$off" = 0 ] || fail "the pause menu differs from $golden/pause_menu.png: $off (see $work/menu-panel.png)"
compare_window menu "$menu_shot" crt_gpu
sleep 1
shot
still=$(compare -metric AE "$menu_shot" "$last_shot" null: 2>&1)
[ "$still" = 0 ] || fail "the game moved under the open menu ($still pixels)"

# SAVE, one slot down (whichever slot the press reaches), Return.
select_row main 1
tap Return
tap Down
tap Return
sleep 0.5
slot=$(sed -n 's/^\[info\] saved: [0-9]* steps -> .*\/saves\/\(slot_[1-8]\)\.json$/\1/p' "$game_log")
steps=$(sed -n 's/^\[info\] saved: \([0-9]*\) steps -> .*\/saves\/slot_[1-8]\.json$/\1/p' "$game_log")
[ -n "$slot" ] && [ -n "$steps" ] || fail "no 'saved:' line for a slot: $(cat "$game_log")"
for f in "$slot.json" "$slot.png"; do [ -s "$saves/$f" ] || fail "saving to $slot wrote no $f"; done
[ "$(identify -format '%wx%h' "$saves/$slot.png")" = "24x12" ] || fail "the slot's thumbnail is not 24x12"

# The message, then back to the main view, SETTINGS, CRT EFFECT, Return: the
# effect is off at once and kept in the settings file.
tap Return
tap Escape
select_row main 3
tap Return
select_row settings 3
tap Return
sleep 0.5
settings="$data_home/Tumbold/Quillhaven/settings.json"
grep -q '"crt": false' "$settings" || fail "the CRT effect switched off is not kept: $(cat "$settings" 2>&1)"
shot
compare_window crt-off "$last_shot" sharp
end_game

# 9. Start again: the settings file leaves the CRT effect off. Begin a new game
#    and load the slot from the menu: the load view opens on it, the replay
#    arrives where the game was saved ("loaded:" only follows matching check
#    values) and shows the saved room, not the new one.
rm -f "$shots"/*.png
start_menu_game menu-second
compare_window title-sharp "$last_shot" sharp
start_play
room_name "$last_shot" "$work/new-room.png"
# LOAD opens on the latest save; Return loads it.
tap Escape
select_row main 2
tap Return
tap Return
shot
grep -q "^\[info\] loaded: $steps steps from .*/saves/$slot\.json$" "$game_log" ||
  fail "$slot did not load its $steps steps: $(cat "$game_log")"
room_name "$last_shot" "$work/loaded-room.png"
[ "$(differ "$work/saved-room.png" "$work/loaded-room.png")" = 0 ] ||
  fail "the loaded game shows another room than the saved one"
[ "$(differ "$work/new-room.png" "$work/loaded-room.png")" -gt 50 ] || fail "the loaded game shows the new game's room"
end_game

# Without --windowed the settings file decides: full screen by default, and
# leaving it with F11 is kept for the next start.
grep -q '"fullscreen": true' "$settings" || fail "the settings file does not ask for full screen: $(cat "$settings")"
start_game menu-full --quit-after-frames 1000000
wait_for_game_window
wait_for_window 1920x1080
press key F11
wait_for_window 1044x720
grep -q '"fullscreen": false' "$settings" || fail "leaving full screen is not kept: $(cat "$settings")"
end_game
start_game menu-window --quit-after-frames 1000000
wait_for_game_window
wait_for_window 1044x720
sleep 1.5
set -- $(window_geometry)
[ "$3x$4" = 1044x720 ] || fail "the game went to full screen though the settings file says no ($3x$4)"
end_game
data_home="$work/data"
shots="$data_home/Tumbold/Quillhaven/screenshots"
taken=$(ls "$shots" | wc -l)

# 10. Without a window manager nobody carries out the full-screen request and
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

# 11. Mesa offering only OpenGL 3.0: the game runs on SDL's renderer and says
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
# An output folder that cannot be made: the first size's verdict, then exit code 1.
echo "not a folder" >"$work/crt-file"
run_game --crt-test "$shot" --out "$work/crt-file" >"$work/crt-file.out" 2>"$work/crt-file.log"
code=$?
[ $code -eq 1 ] || fail "--crt-test into a file gave exit code $code"
grep -qF "crt-file/crt_gpu_1044x720.png: Not a directory" "$work/crt-file.log" &&
  tail -1 "$work/crt-file.log" | grep -q '^\[info\] crt 1044x720: .*: PASS$' ||
  fail "--crt-test into a file does not say so before its verdict: $(cat "$work/crt-file.log")"

# 12. The whole loop on SDL's window-less video driver: software renderer, a
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
