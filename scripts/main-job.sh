#!/usr/bin/env bash
# The main job: the host program capturing on a virtual two-monitor display, as a user would.
#   scripts/main-job.sh [OUTPUT_DIR]   (default: out/)
# Installs what is missing, builds, starts a 1280x1024 + 1920x1080 display with Wine's notepad holding a
# long document and two windows with a known pattern, and runs pictavo.exe for each capture. The
# interactive ones are driven from outside with xdotool; a screenshot of each overlay while it is shown
# lands beside the captured PNG, and a small copy of it in OUTPUT_DIR/docs. Prints every output with its
# size; exits 1 when a capture failed or an expected output is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$root/out}" && cd "${1:-$root/out}" && pwd)
mkdir -p "$out/docs" "$out/log"
# Outputs older than this are left from an earlier run and do not count.
stamp=$out/log/started
touch "$stamp"

"$root/scripts/install-deps.sh"
BUILD_DIR=$build "$root/scripts/build.sh" pictavo pictavo-pattern >/dev/null

. "$root/scripts/session.sh"
started=()
cleanup() {
  local p
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  qel_stop_all
}
trap cleanup EXIT
qel_start_display dual "$build/displays/mainjob"
# A prefix of its own: notepad keeps its last window position in the prefix, and tests move it about.
qel_start_wine dual "$build/wine/mainjob"

bin=$build/bin
pictavo() { (cd "$bin" && qel_wine ./pictavo.exe "$@" </dev/null); }
winpath() { qel_wine winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# wait_for SECONDS COMMAND...: polls the command until it succeeds; 1 when time runs out.
wait_for() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
visible() { xdotool search --onlyvisible "$@" >/dev/null 2>&1; }

outputs=() descriptions=() failures=()
expect() { outputs+=("$out/$1"); descriptions+=("$2"); }
fail() { failures+=("$1"); echo "FAILED: $1" >&2; }

# The scene. Notepad on the primary monitor with a document longer than its window; the pattern window
# on the second monitor; a second pattern window below notepad, since the colour picker works on the
# primary monitor only.
pattern_x=1480 pattern_y=200 pattern_w=800 pattern_h=500
bars_x=100 bars_y=740 bars_w=960 bars_h=250
{
  printf 'QelPictavoDll main job\r\n\r\nThis notepad window is one of the capture targets; the scrolling capture takes all of it.\r\n'
  for i in $(seq 1 200); do printf 'Line %03d of the long document\r\n' "$i"; done
} >"$out/document.txt"
# Notepad opens where its settings say: on the primary monitor, clear of both pattern windows.
for value in iWindowPosX:40 iWindowPosY:60 iWindowPosDX:900 iWindowPosDY:640; do
  qel_wine reg add 'HKCU\Software\Microsoft\Notepad' /v "${value%%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null 2>&1
done
document=$(winpath "$out/document.txt")
(cd "$out" && exec "$QEL_WINE" notepad "$document" >/dev/null 2>&1 </dev/null) &
started+=($!)
(cd "$bin" && exec "$QEL_WINE" ./pictavo-pattern.exe $pattern_x $pattern_y $pattern_w $pattern_h "Known pattern" \
  >"$out/pattern-hwnd.txt" 2>/dev/null </dev/null) &
started+=($!)
(cd "$bin" && exec "$QEL_WINE" ./pictavo-pattern.exe $bars_x $bars_y $bars_w $bars_h "Colour bars" \
  >/dev/null 2>&1 </dev/null) &
started+=($!)
wait_for 30 visible --class '^notepad\.exe$' || fail "notepad did not show"
wait_for 30 visible --name '^Known pattern$' || fail "the pattern window did not show"
wait_for 30 visible --name '^Colour bars$' || fail "the colour bars window did not show"
# Mapped is not yet painted: give the three windows a moment to draw themselves.
sleep 1

shoot() { # name, pictavo arguments...
  local name=$1; shift
  pictavo -o "$(winpath "$out/$name.png")" "$@" || fail "$name: pictavo exited $?"
}

pictavo monitors | tr -d '\r' | tee "$out/monitors.txt" || fail "monitors: pictavo failed"
expect monitors.txt "the monitors and the virtual screen as the library sees them"

# The monitor under the cursor, once on each monitor.
xdotool mousemove 400 300
shoot fullscreen-primary --cursor fullscreen
expect fullscreen-primary.png "the primary monitor: notepad and the colour bars window"
xdotool mousemove 1540 300
shoot fullscreen-second --cursor fullscreen
expect fullscreen-second.png "the second monitor: the pattern window"

pattern=$(tr -d '\r\n' <"$out/pattern-hwnd.txt")
[ -n "$pattern" ] && shoot pattern-window window-copy "0x$pattern"
expect pattern-window.png "plain copy of the pattern window by its handle"

# Notepad's top-left corner places the clicks below.
left=40 top=60
notepad=$(pictavo find-window Notepad | tr -d '\r' || true)
if [ -n "$notepad" ]; then
  shoot notepad-window window-copy "0x$notepad"
  pictavo window-info "0x$notepad" | tr -d '\r' | tee "$out/notepad-info.txt" || fail "notepad-info: pictavo failed"
  read -r left top < <(awk -F'[ ,]' '/^bounds/ {print $2, $3}' "$out/notepad-info.txt") || true
else
  fail "no notepad window found"
fi
expect notepad-window.png "plain copy of notepad by its handle"
expect notepad-info.txt "notepad's bounds and relations"

# Notepad as the foreground window, clicked into its text.
xdotool mousemove $((left + 300)) $((top + 250)) click 1
sleep 0.5
shoot notepad-active active-window
expect notepad-active.png "the foreground window: notepad"

# Open notepad's File menu from its menu bar and capture it with the pointer resting on it.
xdotool mousemove $((left + 17)) $((top + 34)) click 1
sleep 1
xdotool mousemove $((left + 40)) $((top + 70))
sleep 0.5
shoot notepad-menu menu
expect notepad-menu.png "notepad's open File menu"
xdotool key Escape Escape

# --- Interactive captures: pictavo waits for the user, xdotool plays the user. ---

overlay_up() { ! kill -0 "$1" 2>/dev/null || visible --class '^pictavo\.exe$'; }
# The stop strip of a scrolling capture: a window of the host program, 220 x 18.
strip_up() {
  local w
  kill -0 "$1" 2>/dev/null || return 0
  for w in $(xdotool search --onlyvisible --class '^pictavo\.exe$' 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 220x18' && return 0
  done
  return 1
}
gone() { ! kill -0 "$1" 2>/dev/null; }

# A pointer that travels: the overlay sees a path, not a jump.
glide() { # x y
  local x0 y0 i steps=8
  read -r x0 y0 < <(xdotool getmouselocation | sed 's/x:\([0-9-]*\) y:\([0-9-]*\).*/\1 \2/')
  for i in $(seq 1 $steps); do
    xdotool mousemove $((x0 + ($1 - x0) * i / steps)) $((y0 + ($2 - y0) * i / steps))
    sleep 0.03
  done
}
# The overlay ticks every 33 ms and glides its highlight and magnifier over a few hundred ms.
settle() { sleep "${1:-0.7}"; }

screenshot() { import -window root -display "$DISPLAY" "$1" || fail "no screenshot ${1##*/}"; }
# A small copy of an overlay screenshot for the docs: the part that matters, at most 920 pixels wide.
docs_copy() { # screenshot, crop WxH+X+Y, name
  expect "docs/$3.png" "small copy of ${1##*/} for the README"
  [ -s "$1" ] && convert "$1" -crop "$2" +repage -resize '920x>' -strip "$out/docs/$3.png" || fail "docs/$3.png not made"
}

pid=
# start NAME WHAT pictavo arguments...: says what the user does, runs pictavo in the background with its
# output in log/.
start() {
  local name=$1
  echo "== $name: $2"
  shift 2
  (cd "$bin" && exec "$QEL_WINE" ./pictavo.exe "$@" >"$out/log/$name.out" 2>"$out/log/$name.err" </dev/null) &
  pid=$!
  started+=("$pid")
}
# shown NAME: waits until the overlay is on the screen; 1 (reported) when it never shows.
shown() {
  if wait_for 20 overlay_up "$pid" && kill -0 "$pid" 2>/dev/null; then return 0; fi
  fail "$1: no overlay shown ($(tr -d '\r' <"$out/log/$1.err" | tail -n 1))"
  kill "$pid" 2>/dev/null || true
  return 1
}
# finish NAME [SECONDS]: waits for pictavo to end; kills it when it overruns. 1 (reported) on failure.
finish() {
  local status=0
  if ! wait_for "${2:-20}" gone "$pid"; then
    fail "$1: still running after ${2:-20} s, stopped"
    kill "$pid" 2>/dev/null || true
  fi
  wait "$pid" || status=$?
  tr -d '\r' <"$out/log/$1.out"
  [ "$status" -eq 0 ] || { fail "$1: pictavo exited $status: $(tr -d '\r' <"$out/log/$1.err" | tail -n 1)"; return 1; }
}
png() { winpath "$out/$1.png"; }

# An ellipse dragged across the pattern's colour bars, the magnifier following the cursor.
start region-ellipse "drag an ellipse across the colour bars" -o "$(png region-ellipse)" region --shape ellipse
if shown region-ellipse; then
  glide $((pattern_x + 100)) $((pattern_y + 50))
  xdotool mousedown 1
  glide $((pattern_x + 340)) $((pattern_y + 170))
  glide $((pattern_x + 520)) $((pattern_y + 280))
  settle
  screenshot "$out/region-ellipse-overlay.png"
  xdotool mouseup 1
  finish region-ellipse || true
fi
expect region-ellipse.png "the ellipse dragged across the colour bars, transparent outside it"
expect region-ellipse-overlay.png "the overlay while the ellipse is dragged, with its size and the magnifier"
docs_copy "$out/region-ellipse-overlay.png" 900x600+$((pattern_x - 50))+$((pattern_y - 60)) region-ellipse

# A window picked on the overlay: the highlight starts on notepad's text and glides to the pattern window.
xdotool mousemove $((left + 400)) $((top + 300))
start window-pick "hover notepad, then the pattern window, and click it" -o "$(png window-pick)" window
if shown window-pick; then
  glide $((left + 420)) $((top + 320))
  settle 0.5
  glide $((pattern_x + 300)) $((pattern_y + 300))
  settle
  screenshot "$out/window-pick-overlay.png"
  xdotool click 1
  finish window-pick || true
fi
expect window-pick.png "the picked window: the pattern window"
expect window-pick-overlay.png "the overlay with the highlight on the pattern window"
docs_copy "$out/window-pick-overlay.png" 900x600+$((pattern_x - 50))+$((pattern_y - 60)) window-pick

# A fixed 640 x 360 rectangle hung on the cursor by its centre (C), dropped over the middle of the pattern.
start fixed-region "hang a 640 x 360 rectangle on the cursor by its centre (C) and click" -o "$(png fixed-region)" fixed 640x360
if shown fixed-region; then
  glide $((pattern_x + 200)) $((pattern_y + 150))
  xdotool key c
  glide $((pattern_x + pattern_w / 2)) $((pattern_y + pattern_h / 2 + 10))
  settle
  screenshot "$out/fixed-region-overlay.png"
  xdotool click 1
  finish fixed-region || true
fi
expect fixed-region.png "the 640 x 360 rectangle placed over the middle of the pattern"
expect fixed-region-overlay.png "the overlay with the fixed rectangle on the cursor"
docs_copy "$out/fixed-region-overlay.png" 900x600+$((pattern_x - 50))+$((pattern_y - 60)) fixed-region

# A polygon of five corners; the last edge follows the cursor, a double click closes the outline.
start polygon "click five corners, then double-click" -o "$(png polygon)" polygon
if shown polygon; then
  for corner in "200 60" "520 40" "740 230" "470 440" "230 360"; do
    read -r cx cy <<<"$corner"
    glide $((pattern_x + cx)) $((pattern_y + cy))
    sleep 0.1
    xdotool click 1
    sleep 0.1
  done
  glide $((pattern_x + 200)) $((pattern_y + 200))
  settle
  screenshot "$out/polygon-overlay.png"
  xdotool click --repeat 2 --delay 80 1
  finish polygon || true
fi
expect polygon.png "the polygon cut out of the pattern, transparent outside it"
expect polygon-overlay.png "the overlay with the polygon's outline and its rubber-band edge"
docs_copy "$out/polygon-overlay.png" 900x600+$((pattern_x - 50))+$((pattern_y - 60)) polygon

# The colour picker on the red bar of the colour bars window.
start color-picker "click the red bar of the colour bars window" pick-color
if shown color-picker; then
  glide $((bars_x + bars_w * 5 / 8 + bars_w / 16)) $((bars_y + 60))
  settle 0.5
  screenshot "$out/color-picker-overlay.png"
  xdotool click 1
  finish color-picker && tr -d '\r' <"$out/log/color-picker.out" >"$out/color-picker.txt"
fi
expect color-picker.txt "the colour picked on the red bar"
expect color-picker-overlay.png "the colour picker with its label beside the cursor"
docs_copy "$out/color-picker-overlay.png" 900x320+$((bars_x - 10))+$((bars_y - 40)) color-picker

# The recording-area selector: an area dragged over the pattern window.
start recording-area "drag a recording area over the pattern window" select-area
if shown recording-area; then
  glide $((pattern_x + 40)) $((pattern_y + 60))
  xdotool mousedown 1
  glide $((pattern_x + 300)) $((pattern_y + 200))
  glide $((pattern_x + 620)) $((pattern_y + 400))
  settle 0.5
  screenshot "$out/recording-area-overlay.png"
  xdotool mouseup 1
  finish recording-area && tr -d '\r' <"$out/log/recording-area.out" >"$out/recording-area.txt"
fi
expect recording-area.txt "the dragged recording area"
expect recording-area-overlay.png "the recording-area selector's frame and label while dragging"
docs_copy "$out/recording-area-overlay.png" 900x600+$((pattern_x - 50))+$((pattern_y - 60)) recording-area

# The flashing frame around part of the colour bars for three seconds: its brackets blink between black
# and a light colour, so they stand on the middle bars to be seen in both states.
start flashing-frame "watch the frame blink for three seconds" flash $((pattern_x + 320)),$((pattern_y + 50)),370,200 --seconds 3
if shown flashing-frame; then
  settle 0.3
  screenshot "$out/flashing-frame-overlay.png"
  finish flashing-frame && tr -d '\r' <"$out/log/flashing-frame.out" >"$out/flashing-frame.txt"
fi
expect flashing-frame.txt "where the flashing frame ended"
expect flashing-frame-overlay.png "the flashing frame's corner brackets over the colour bars"
docs_copy "$out/flashing-frame-overlay.png" 900x600+$((pattern_x - 50))+$((pattern_y - 60)) flashing-frame

# Notepad's text area picked for a scrolling capture: scrolled to its end and stitched while the stop
# strip stands beside it. Last: it leaves notepad scrolled down.
start notepad-scroll "click notepad's text; it scrolls to its end" -o "$(png notepad-scroll)" scroll --vertical
if shown notepad-scroll; then
  glide $((left + 400)) $((top + 300))
  settle
  screenshot "$out/notepad-scroll-overlay.png"
  xdotool click 1
  if wait_for 20 strip_up "$pid" && kill -0 "$pid" 2>/dev/null; then
    # A few steps in, so the text has visibly moved.
    sleep 1.5
    screenshot "$out/notepad-scroll-strip.png"
  else
    fail "notepad-scroll: no stop strip seen"
  fi
  finish notepad-scroll 180 || true
fi
expect notepad-scroll.png "notepad's whole document, scrolled and stitched into one image"
expect notepad-scroll-overlay.png "the overlay picking notepad's text area for scrolling"
expect notepad-scroll-strip.png "notepad while it scrolls, the stop strip below its text"
docs_copy "$out/notepad-scroll-strip.png" 920x680+$((left - 10))+$((top - 10)) scroll

echo
echo "Outputs in $out:"
status=0
for i in "${!outputs[@]}"; do
  f=${outputs[$i]}
  if [ ! -s "$f" ] || [ ! "$f" -nt "$stamp" ]; then
    printf '  %-34s %-11s %s\n' "${f#"$out"/}" MISSING "${descriptions[$i]}"
    status=1
    continue
  fi
  case "$f" in
    *.png) size=$(identify -format '%wx%h' "$f") ;;
    *) size="$(wc -l <"$f") lines" ;;
  esac
  printf '  %-34s %-11s %s\n' "${f#"$out"/}" "$size" "${descriptions[$i]}"
done
echo "  (pictavo's own output of each interactive capture: log/)"
for f in "$out"/color-picker.txt "$out"/recording-area.txt; do [ -s "$f" ] && echo "  ${f##*/}: $(cat "$f")"; done
if [ ${#failures[@]} -gt 0 ]; then
  echo
  echo "Failures:"
  for f in "${failures[@]}"; do echo "  $f"; done
  status=1
fi
exit $status
