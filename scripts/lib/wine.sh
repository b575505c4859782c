# Shared by the Wine checks: a private prefix whose COM1 is a path the
# caller's simulator links to its pseudo-terminal. Source it after setting
# $work (a private folder removed by the caller) and $link (COM1's target);
# call wine_cleanup from the caller's EXIT trap.

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Debian's fonts in place of Windows' faces (the file says which).
export FONTCONFIG_FILE="$root/scripts/lib/wine-fonts.conf"
export WINEARCH=win64
wine_cmd="$(command -v wine || command -v wine64 || true)"
wine_started=""

wine_cleanup() {
  if [ -n "$wine_started" ]; then
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}

# A virtual display of its own for the windows: $DISPLAY names it.
xvfb_pid=""
wine_start_display() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$work/display")"
  exec 3>&-
}

# Prints nothing and fails with the log on the terminal when the prefix
# cannot be made.
wine_prepare_prefix() {
  mkdir -p "$WINEPREFIX"
  # A persistent server keeps the prefix up between the runs; its own
  # output would otherwise land in the middle of theirs.
  wineserver -p >"$work/wineserver.log" 2>&1
  wine_started=1
  timeout 100 wineboot -i >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log"
    return 1
  }
  wine_windows_fonts || return 1
  # Wine sets up its COMn links when its server starts, from the ttys it finds
  # unless a port is named here, so the server starts again to take it.
  timeout 60 "$wine_cmd" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$link" /f \
    >>"$work/wineboot.log" 2>&1
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  timeout 20 wineserver -w
  wineserver -p >>"$work/wineserver.log" 2>&1
}

# Windows 10 gives programs Segoe UI 9 pt for their text where Wine gives
# Tahoma; Wine looks a face up among its own and the fonts fontconfig lists,
# taking the replacements below for a face it does not have.
wine_windows_fonts() {
  local segoe_ui_9pt
  segoe_ui_9pt="f4,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,00,00,90,01,00,00,00,00,00,01,00,00,00,00"
  segoe_ui_9pt+=",53,00,65,00,67,00,6f,00,65,00,20,00,55,00,49,00$(printf ',00%.0s' $(seq 48))"
  cat >"$work/fonts.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Desktop\WindowMetrics]
"MessageFont"=hex:$segoe_ui_9pt
"MenuFont"=hex:$segoe_ui_9pt
"StatusFont"=hex:$segoe_ui_9pt
"IconFont"=hex:$segoe_ui_9pt

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Segoe UI"="Open Sans"
"MS Shell Dlg 2"="DejaVu Sans"
"MS Shell Dlg"="DejaVu Sans"
"Tahoma"="DejaVu Sans"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
REG
  timeout 60 "$wine_cmd" reg import "$(echo "Z:$work/fonts.reg" | tr / '\\')" >>"$work/wineboot.log" 2>&1
}

# Starts the simulator ($sim) behind $link with the given options; its pid in
# $sim_pid.
sim_pid=""
start_sim() {
  rm -f "$link"
  "$sim" --link "$link" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -L "$link" ] && return 0
    sleep 0.05
  done
  cat "$work/sim.out"
  return 1
}

stop_sim() {
  [ -n "$sim_pid" ] || return 0
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
}
