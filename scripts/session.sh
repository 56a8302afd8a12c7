# Sourced by the test and main-job scripts: virtual displays and Wine prefixes per display layout.
# Layouts:
#   single  one monitor 1920x1080 (Xvfb)
#   dual    1280x1024 primary at (0,0) and 1920x1080 to its right (Xorg, dummy driver)
#   left    1920x1080 primary at (0,0) and 1280x1024 to its left, at (-1280,0)
# Everything started here is recorded by PID and stopped by qel_stop_all, nothing else.

QEL_WINE=${QEL_WINE:-/usr/lib/wine/wine64}
QEL_WINESERVER=${QEL_WINESERVER:-/usr/lib/wine/wineserver}
QEL_PIDS=()

qel_free_display() {
  local n=${1:-90}
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  echo "$n"
}

qel_xorg_config() { # file primary-mode second-mode layout-line-for-s0 layout-line-for-s1
  local file=$1
  cat >"$file" <<CONF
Section "ServerFlags"
  Option "Xinerama" "on"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "d0"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Device"
  Identifier "d1"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "m0"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline $2
EndSection
Section "Monitor"
  Identifier "m1"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline $3
EndSection
Section "Screen"
  Identifier "s0"
  Device "d0"
  Monitor "m0"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "$6"
    Virtual $8
  EndSubSection
EndSection
Section "Screen"
  Identifier "s1"
  Device "d1"
  Monitor "m1"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "$7"
    Virtual $9
  EndSubSection
EndSection
Section "ServerLayout"
  Identifier "layout"
  $4
  $5
EndSection
CONF
}

# qel_start_display LAYOUT WORKDIR: starts the X server; sets DISPLAY. A display number another
# session took at the same moment makes our server exit: then the next free number is tried, so
# tests never run on someone else's display.
qel_start_display() {
  local layout=$1 work=$2 n=90 pid attempt i
  mkdir -p "$work"
  local m1280='"1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066'
  local m1920='"1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125'
  case "$layout" in
    single) ;;
    dual)
      qel_xorg_config "$work/xorg.conf" "$m1280" "$m1920" 'Screen 0 "s0" 0 0' 'Screen 1 "s1" RightOf "s0"' \
        1280x1024 1920x1080 "1280 1024" "1920 1080" ;;
    left)
      qel_xorg_config "$work/xorg.conf" "$m1920" "$m1280" 'Screen 0 "s0" 1280 0' 'Screen 1 "s1" 0 0' \
        1920x1080 1280x1024 "1920 1080" "1280 1024" ;;
    *) echo "unknown layout $layout" >&2; return 1 ;;
  esac
  for attempt in 1 2 3 4 5; do
    n=$(qel_free_display "$n")
    # No screen saver: tests read the screen back and nothing here counts as user input.
    if [ "$layout" = single ]; then
      Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -noreset -s 0 -dpms >"$work/x.log" 2>&1 &
    else
      /usr/lib/xorg/Xorg ":$n" -noreset -nolisten tcp -s 0 -dpms -config "$work/xorg.conf" -logfile "$work/x.log" \
        >/dev/null 2>&1 &
    fi
    pid=$!
    for i in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      # The server that owns the display writes its process id into the display's lock file.
      if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X${n}-lock")" = "$pid" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        QEL_PIDS+=("$pid")
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    n=$((n + 1))
  done
  echo "X server for layout $layout did not start; see $work/x.log" >&2
  return 1
}

qel_wine() { WINEDEBUG=-all "$QEL_WINE" "$@"; }

# qel_start_wine LAYOUT PREFIX: makes the prefix once, then runs a persistent wineserver for it.
qel_start_wine() {
  local layout=$1 prefix=$2
  export WINEPREFIX=$prefix WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ ! -f "$prefix/.qel-ready-2" ]; then
    rm -rf "$prefix"
    mkdir -p "$prefix"
    qel_wine wineboot -i >/dev/null 2>&1 || true
    qel_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # There is no window manager: unmanaged windows hide and close at once instead of waiting 2 s for one.
    qel_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    if [ "$layout" != single ]; then
      # Wine reports several monitors only with these two off.
      qel_wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
      qel_wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode /t REG_SZ /d N /f >/dev/null 2>&1
    fi
    "$QEL_WINESERVER" -w
    touch "$prefix/.qel-ready-2"
  fi
  # GDI+ finds its generic sans-serif family (Tahoma, Microsoft Sans Serif) only among the prefix's
  # own fonts; Wine's copies are installed there.
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  "$QEL_WINESERVER" -f -p >/dev/null 2>&1 &
  QEL_PIDS+=($!)
  QEL_WINESERVER_PREFIXES+=("$prefix")
  sleep 0.3
  # The first Wine program starts the prefix's helper processes outside any test runner's pipes.
  qel_wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

qel_stop_all() {
  local p
  for p in "${QEL_WINESERVER_PREFIXES[@]:-}"; do
    [ -n "$p" ] && WINEPREFIX=$p "$QEL_WINESERVER" -k >/dev/null 2>&1 || true
  done
  for p in "${QEL_PIDS[@]:-}"; do
    [ -n "$p" ] && kill "$p" 2>/dev/null || true
  done
  for p in "${QEL_PIDS[@]:-}"; do
    [ -n "$p" ] && wait "$p" 2>/dev/null || true
  done
  QEL_PIDS=()
  QEL_WINESERVER_PREFIXES=()
}
QEL_WINESERVER_PREFIXES=()
