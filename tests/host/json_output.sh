#!/usr/bin/env bash
# pictavo's sub-commands that need no user, as a script runs them: exit codes, help, and --json read back
# with python3's json module, checked against a window of known place and size.
#   json_output.sh BIN_DIR   (ctest runs it on the display and Wine prefix that scripts/run-tests.sh started)
exec python3 - "$1" <<'PY'
import atexit, json, os, re, select, struct, subprocess, sys, tempfile
os.chdir(sys.argv[1])
wine = os.environ.get("QEL_WINE", "/usr/lib/wine/wine64")
os.environ["WINEDEBUG"] = "-all"
out = os.environ.get("QEL_TEST_OUTPUT") or (scratch := tempfile.TemporaryDirectory()).name
failures, checks = [], 0

def check(cond, what):
    global checks
    checks += 1
    if not cond:
        failures.append(what)

def run(*args):  # exit status, stdout, stderr; -1 when it did not end within a minute
    try:
        p = subprocess.run([wine, "./pictavo.exe", *args], capture_output=True, stdin=subprocess.DEVNULL, timeout=60)
    except subprocess.TimeoutExpired:
        return -1, "", ""
    return p.returncode, p.stdout.decode("latin-1").replace("\r", ""), p.stderr.decode("latin-1").replace("\r", "")

def result(status, *args):  # the one JSON line of a --json run
    rc, text, err = run("--json", *args)
    what = " ".join(args)
    check(rc == status, f"{what}: exit {rc}, expected {status}; stderr {err!r}")
    try:
        value = json.loads(text)
    except ValueError:
        value = None
    ok = isinstance(value, dict) and text.count("\n") == 1 and value.get("ok") is (status == 0)
    check(ok and (status == 0 or value.get("reason")), f"{what}: not one JSON line with ok and a reason: {text!r}")
    return value if isinstance(value, dict) else {}

def listed(text):  # the names in the text list's "commands:" part
    return re.findall(r"^  (\S+)", text.partition("commands:\n")[2].partition("\n\n")[0], re.M)

def png_size(path):  # width and height of an 8-bit RGBA PNG, None for anything else
    head = open(path, "rb").read(26) if os.path.exists(path) else b""
    if len(head) < 26 or head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    return (width, height) if (depth, colour) == (8, 6) else None

def fresh(name):  # an output file not there yet: its path here, and as pictavo takes it
    path = f"{out}/{name}"
    if os.path.exists(path):
        os.remove(path)
    return path, subprocess.run([wine, "winepath", "-w", path], capture_output=True).stdout.decode().strip()

# A window at (100, 120), 400 x 300; it prints its handle once it exists.
pattern_run = subprocess.Popen([wine, "./pictavo-pattern.exe", "100", "120", "400", "300", "json pattern"],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
atexit.register(lambda: (pattern_run.kill(), pattern_run.wait()))
pattern = pattern_run.stdout.readline().decode().strip() if select.select([pattern_run.stdout], [], [], 20)[0] else ""
if not pattern:
    sys.exit("the pattern window did not show")
handle = lambda text: int(text or "0", 16)
box = {"left": 100, "top": 120, "right": 500, "bottom": 420, "width": 400, "height": 300}

# Help: every command listed, in JSON and as text, each with its own help; every exported call made by one.
names = [c.get("name") for c in result(0, "help").get("commands", [])]
check(len(names) == len(set(names)) and set("""fullscreen active-window menu window region polygon freehand fixed
    pick-region pick-fixed pick-window window-copy window-at window-info find-window monitors select-area flash
    scroll scroll-active pick-color window-bounds topmost-parent behind-taskbar on-work-area dib-section
    capture-menu help""".split()) <= set(names), f"help lists {names}")
calls = ""
for name in names:
    h = result(0, "help", name)
    check(h.get("name") == name, f"help {name}: {h.get('name')!r}")
    calls += h.get("text", "").partition("\nCalls: ")[2].partition("\n")[0] + "\n"
for call in """CaptureFullScreen CaptureActiveWindow CaptureWindowObject CaptureShapeRegion CaptureFixedRegion
        CaptureMenuObject CaptureScrollWindow CaptureActiveScrollWindow PickScreenColor TokenRectangulareRegion
        TokenFixedSizeRectanguluarRegion TokenWindowObject GetWindowFromPoint IsBehindTaskBar IsWindowOnWorkArea
        GetWindowBoundRectangle GetTopMostLevelParentWindow DoCaptureFromWnd CreateDIBBitmap SetCaptureMenu
        g_hCaptureMenu CreateShiftWindow GetCaptureArea CreateFlashing StartFlashing StopFlashing""".split():
    check(call in calls, f"no command calls {call}")
rc, text, _ = run("help")
check(rc == 0 and listed(text) == names, f"help as text: exit {rc}, or its list differs from --json's")
for args in ([], ["help", "no-such-command"]):
    rc, text, err = run(*args)
    check((rc, text, listed(err)) == (2, "", names), f"{args}: exit {rc}, or not the list on stderr alone")

# Arguments a command cannot take exit with 2 before anything starts, an interactive command's too.
for args in ["no-such-command", "--delay x fullscreen", "--bogus fullscreen", "fullscreen -o", "fullscreen extra",
             "--cursor pick-color", "window-at 1 x", "region --shape star", "fixed 0x10", "window-info 0xZZ",
             "dib-section 16x16 8 --compression", "flash 1,2,3", "select-area --fixed 1,2,0,4", "scroll --sideways"]:
    rc = run(*args.split())[0]
    check(rc == 2, f"{args}: exit {rc}, expected 2")
check(result(2, "-o", "x.png", "monitors").get("command") == "monitors", "-o on monitors: the command is missing")
# Nothing found or made: 1, with the reason. A file name cannot hold a quote, so the path comes back in it.
quoted = fresh('a"b.png')[1]
check(result(1, "fullscreen", "-o", quoted).get("reason", "").endswith(quoted), "a quoted path came back changed")
for args in ["window-info 0x1", "window-copy 0x1", "find-window NoSuchClassAnywhere", "dib-section 7x7 7",
             "topmost-parent " + pattern]:
    check(result(1, *args.split()).get("command") == args.split()[0], f"{args}: the command is missing")

m = result(0, "monitors")
monitors, v = m.get("monitors", []), m.get("virtual", {})
check(m.get("kind") == "monitors" and sum(x.get("primary") is True for x in monitors) == 1, f"monitors: {m}")
check(all(v.get("left") <= x["rect"]["left"] and x["rect"]["right"] <= v.get("right") for x in monitors),
      f"monitors: the virtual screen {v} does not hold them all")
screen, screen_win = fresh("host json screen.png")
s = result(0, "fullscreen", "-o", screen_win)
size = (s.get("width"), s.get("height"))
check((s.get("kind"), s.get("output"), s.get("clipboard")) == ("image", screen_win, False), f"fullscreen: {s}")
check(size in [(x["rect"]["width"], x["rect"]["height"]) for x in monitors], f"fullscreen: {size} is no monitor's size")
check(png_size(screen) == size, "fullscreen: the PNG's size differs")
copy, copy_win = fresh("host json window.png")
c = result(0, "--clipboard", "window-copy", pattern, "--output", copy_win)
check((c.get("width"), c.get("height"), c.get("output"), c.get("clipboard")) == (400, 300, copy_win, True),
      f"window-copy: {c}")
check(png_size(copy) == (400, 300), "window-copy: the PNG's size differs")

w = result(0, "find-window", "PictavoPattern")
check((w.get("kind"), w.get("class"), handle(w.get("handle"))) == ("window", "PictavoPattern", handle(pattern)),
      f"find-window: {w}")
a = result(0, "window-at", "300", "200")
check(handle(a.get("handle")) == handle(pattern) and a.get("point") == {"x": 300, "y": 200}, f"window-at: {a}")
i = result(0, "window-info", pattern)
check((i.get("kind"), handle(i.get("target")), i.get("bounds"), i.get("topmost_parent", 0)) ==
      ("window-info", handle(pattern), box, None), f"window-info: {i}")
b = result(0, "window-bounds", pattern)
check((b.get("kind"), b.get("rect")) == ("rectangle", box), f"window-bounds: {b}")
for command, key in (("behind-taskbar", "behind_taskbar"), ("on-work-area", "on_work_area")):
    f = result(0, command, pattern)
    check(f.get("kind") == "flag" and isinstance(f.get("value"), bool) and f.get("value") == i.get(key),
          f"{command}: {f} against window-info's {i.get(key)!r}")
for args, want in (("33x7 8", (33, 7, 8, 36, 0)), ("16x4 16 --compression 3", (16, 4, 16, 32, 3))):
    d = result(0, "dib-section", *args.split())
    check(tuple(d.get(k) for k in ("width", "height", "bits_per_pixel", "stride", "compression")) == want,
          f"dib-section {args}: {d}")
check(result(0, "capture-menu", "0x1234").get("handle") == "0x1234", "capture-menu: the stored handle differs")

print(f"{checks - len(failures)} passed, {len(failures)} failed")
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
PY
