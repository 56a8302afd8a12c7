#!/usr/bin/env bash
# The main job: the host program capturing on a virtual two-monitor display, writing PNGs.
#   scripts/main-job.sh [OUTPUT_DIR]   (default: out/)
# Installs what is missing, builds, starts a 1280x1024 + 1920x1080 display with Wine's notepad holding a
# document and a window with a known pattern, runs pictavo.exe for each capture and prints the PNG paths.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$root/out}" && cd "${1:-$root/out}" && pwd)

"$root/scripts/install-deps.sh"
BUILD_DIR=$build "$root/scripts/build.sh" pictavo pictavo-pattern >/dev/null

. "$root/scripts/session.sh"
cleanup() {
  [ -n "${pattern_pid:-}" ] && kill "$pattern_pid" 2>/dev/null || true
  [ -n "${notepad_pid:-}" ] && kill "$notepad_pid" 2>/dev/null || true
  qel_stop_all
}
trap cleanup EXIT
qel_start_display dual "$build/displays/mainjob"
# A prefix of its own: notepad keeps its last window position in the prefix, and tests move it about.
qel_start_wine dual "$build/wine/mainjob"

bin=$build/bin
pictavo() { (cd "$bin" && qel_wine ./pictavo.exe "$@" </dev/null); }
winpath() { qel_wine winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# The scene: notepad on the primary monitor, the pattern window on the second one.
cat >"$out/document.txt" <<'DOC'
QelPictavoDll main job

This notepad window is one of the capture targets.
The window on the second monitor paints eight colour bars and a checkerboard.
DOC
# Notepad opens where its settings say: on the primary monitor, clear of the pattern window.
for value in iWindowPosX:40 iWindowPosY:60 iWindowPosDX:900 iWindowPosDY:640; do
  qel_wine reg add 'HKCU\Software\Microsoft\Notepad' /v "${value%%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null 2>&1
done
(cd "$out" && qel_wine notepad "$(winpath "$out/document.txt")" >/dev/null 2>&1 </dev/null) &
notepad_pid=$!
(cd "$bin" && qel_wine ./pictavo-pattern.exe 1480 200 800 500 "Known pattern" >"$out/pattern-hwnd.txt" 2>/dev/null </dev/null) &
pattern_pid=$!
sleep 3
sleep 1

shots=()
shoot() { # name, pictavo arguments...
  local name=$1; shift
  if pictavo -o "$(winpath "$out/$name.png")" "$@"; then shots+=("$out/$name.png"); fi
}

pictavo monitors | tee "$out/monitors.txt"

# The monitor under the cursor, once on each monitor; the cursor rests on a white bar.
xdotool mousemove 400 300
shoot fullscreen-primary --cursor fullscreen
xdotool mousemove 1540 300
shoot fullscreen-second --cursor fullscreen

pattern=$(tr -d '\r\n' <"$out/pattern-hwnd.txt")
[ -n "$pattern" ] && shoot pattern-window window-copy "0x$pattern"

# Notepad's top-left corner places the clicks below.
left=0 top=0
notepad=$(pictavo find-window Notepad | tr -d '\r')
if [ -n "$notepad" ]; then
  shoot notepad-window window-copy "0x$notepad"
  pictavo window-info "0x$notepad" | tr -d '\r' | tee "$out/notepad-info.txt"
  read -r left top < <(awk -F'[ ,]' '/^bounds/ {print $2, $3}' "$out/notepad-info.txt")
fi

# Notepad as the foreground window, clicked into its text.
xdotool mousemove $((left + 300)) $((top + 250)) click 1
sleep 0.5
shoot notepad-active active-window

# Open notepad's File menu from its menu bar and capture it with the pointer resting on it.
xdotool mousemove $((left + 17)) $((top + 34)) click 1
sleep 1
xdotool mousemove $((left + 40)) $((top + 70))
sleep 0.5
shoot notepad-menu menu
xdotool key Escape Escape

echo
echo "PNG files:"
for s in "${shots[@]}"; do echo "  $s"; done
