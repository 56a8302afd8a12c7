#!/usr/bin/env bash
# pictavo --json on the sub-commands that need no user: each run prints exactly one line, python3's json
# module reads it, and the fields are checked against a window of known place and size.
#   json_output.sh BIN_DIR   (ctest runs it on the display and Wine prefix that scripts/run-tests.sh started)
set -uo pipefail
cd "$1" || exit 1
wine=${QEL_WINE:-/usr/lib/wine/wine64}
export WINEDEBUG=-all
work=$(mktemp -d)
out=${QEL_TEST_OUTPUT:-$work}
pattern_pid=
cleanup() {
  if [ -n "$pattern_pid" ]; then kill "$pattern_pid" 2>/dev/null; wait "$pattern_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A window at (100, 120), 400 x 300; it prints its handle once it exists.
"$wine" ./pictavo-pattern.exe 100 120 400 300 "json pattern" >"$work/pattern" 2>/dev/null </dev/null &
pattern_pid=$!
for _ in $(seq 1 200); do [ -s "$work/pattern" ] && break; sleep 0.05; done
pattern=$(tr -d '\r\n' <"$work/pattern")
[ -n "$pattern" ] || { echo "the pattern window did not show"; exit 1; }

winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
screen_png=$(winpath "$out/host json screen.png")
window_png=$(winpath "$out/host json window.png")
rm -f "$out/host json screen.png" "$out/host json window.png"

# Each run: its name, then pictavo's arguments; stdout and the exit status land in files of that name.
run() {
  local name=$1; shift
  "$wine" ./pictavo.exe "$@" >"$work/$name.out" 2>/dev/null </dev/null
  echo $? >"$work/$name.rc"
}
run monitors --json monitors
run screen --json fullscreen -o "$screen_png"
run find find-window PictavoPattern --json
run info --json window-info "0x$pattern"
run bounds window-bounds "$pattern" --json
run topmost --json topmost-parent "$pattern"
run behind --json behind-taskbar "$pattern"
run workarea --json on-work-area "$pattern"
run at --json window-at 300 200
run copy --json --clipboard window-copy "$pattern" --output "$window_png"
run dib8 --json dib-section 33x7 8
run dib16 --json dib-section 16x4 16 --compression 3
run dib7 --json dib-section 7x7 7
run menu --json capture-menu 0x1234
run help --json help
run helpfixed --json help fixed
run nowindow --json window-info 0x1
run noimage --json -o x.png monitors

python3 - "$work" "$out" "$pattern" "$screen_png" "$window_png" <<'PY'
import json, struct, sys
work, out, pattern, screen_png, window_png = sys.argv[1:]
pattern = int(pattern, 16)
failures = []
checks = 0

def check(cond, what):
    global checks
    checks += 1
    if not cond:
        failures.append(what)

def result(name, status):
    text = open(f"{work}/{name}.out", encoding="ascii").read()
    lines = text.splitlines()
    rc = int(open(f"{work}/{name}.rc").read())
    check(rc == status, f"{name}: exit {rc}, expected {status}")
    check(len(lines) == 1, f"{name}: {len(lines)} lines on stdout: {text!r}")
    try:
        value = json.loads(lines[0]) if lines else {}
    except ValueError as e:
        failures.append(f"{name}: not JSON ({e}): {lines[0]!r}")
        return {}
    check(value.get("ok") is (status == 0), f"{name}: ok is {value.get('ok')!r}")
    if status != 0:
        check(isinstance(value.get("reason"), str) and value["reason"], f"{name}: no reason")
    return value

def rect(r, left, top, right, bottom):
    return r == {"left": left, "top": top, "right": right, "bottom": bottom,
                 "width": right - left, "height": bottom - top}

def png_size(path):
    try:
        with open(path, "rb") as f:
            head = f.read(29)
    except OSError as e:
        failures.append(f"{path}: {e}")
        return None
    if len(head) != 29 or head[:8] != b"\x89PNG\r\n\x1a\n":
        failures.append(f"{path}: not a PNG")
        return None
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    check((depth, colour) == (8, 6), f"{path}: depth {depth} colour type {colour}, expected 8-bit RGBA")
    return width, height

m = result("monitors", 0)
monitors = m.get("monitors", [])
check(m.get("kind") == "monitors" and monitors, f"monitors: {m}")
check(sum(1 for x in monitors if x["primary"] is True) == 1, "monitors: not exactly one primary")
check(all(rect(x["rect"], *[x["rect"][k] for k in ("left", "top", "right", "bottom")]) for x in monitors),
      "monitors: a width or height is not right - left or bottom - top")
v = m.get("virtual", {})
check(all(v["left"] <= x["rect"]["left"] and x["rect"]["right"] <= v["right"] for x in monitors),
      "monitors: the virtual screen does not hold every monitor")

s = result("screen", 0)
check(s.get("kind") == "image" and s.get("output") == screen_png and s.get("clipboard") is False, f"screen: {s}")
check(any((s.get("width"), s.get("height")) == (x["rect"]["width"], x["rect"]["height"]) for x in monitors),
      f"screen: {s.get('width')}x{s.get('height')} is no monitor's size")
check(png_size(f"{out}/host json screen.png") == (s.get("width"), s.get("height")), "screen: PNG size differs")

w = result("find", 0)
check(w.get("kind") == "window" and w.get("class") == "PictavoPattern" and int(w.get("handle", "0"), 16) == pattern,
      f"find-window: {w}")
i = result("info", 0)
check(i.get("kind") == "window-info" and int(i.get("target", "0"), 16) == pattern, f"window-info: {i}")
check(rect(i.get("bounds"), 100, 120, 500, 420), f"window-info bounds: {i.get('bounds')}")
check(i.get("topmost_parent", 0) is None, f"window-info topmost_parent: {i.get('topmost_parent')!r}")
check(i.get("behind_taskbar") in (True, False) and i.get("on_work_area") in (True, False), f"window-info flags: {i}")
b = result("bounds", 0)
check(b.get("kind") == "rectangle" and rect(b.get("rect"), 100, 120, 500, 420), f"window-bounds: {b}")
result("topmost", 1)
for name, key in (("behind", "behind_taskbar"), ("workarea", "on_work_area")):
    flag = result(name, 0)
    check(flag.get("kind") == "flag" and flag.get("value") is i.get(key), f"{name}: {flag} against window-info")
a = result("at", 0)
check(int(a.get("handle", "0"), 16) == pattern and a.get("point") == {"x": 300, "y": 200}, f"window-at: {a}")

c = result("copy", 0)
check((c.get("width"), c.get("height"), c.get("output"), c.get("clipboard")) == (400, 300, window_png, True),
      f"window-copy: {c}")
check(png_size(f"{out}/host json window.png") == (400, 300), "window-copy: PNG size differs")

d8, d16 = result("dib8", 0), result("dib16", 0)
check((d8.get("width"), d8.get("height"), d8.get("bits_per_pixel"), d8.get("stride"), d8.get("compression")) ==
      (33, 7, 8, 36, 0), f"dib-section 8 bits: {d8}")
check((d16.get("bits_per_pixel"), d16.get("stride"), d16.get("compression")) == (16, 32, 3), f"dib-section 16: {d16}")
result("dib7", 1)
check(result("menu", 0).get("handle") == "0x1234", "capture-menu: the stored handle differs")

h = result("help", 0)
names = [x["name"] for x in h.get("commands", [])]
check(len(names) == len(set(names)) and "dib-section" in names and "help" in names, f"help: {names}")
hf = result("helpfixed", 0)
check(hf.get("name") == "fixed" and hf.get("text", "").startswith("usage: pictavo [OPTIONS] fixed WxH\n"), f"help fixed: {hf}")
check(result("nowindow", 1).get("command") == "window-info", "window-info 0x1: command missing")
result("noimage", 2)

print(f"{checks - len(failures)} passed, {len(failures)} failed")
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
PY
