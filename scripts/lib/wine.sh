# Shared by the Wine checks: a private prefix whose COM1 is a path the
# caller's simulator links to its pseudo-terminal. Source it after setting
# $work (a private folder removed by the caller) and $link (COM1's target);
# call wine_cleanup from the caller's EXIT trap.

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
wine_cmd="$(command -v wine || command -v wine64 || true)"
wine_started=""

wine_cleanup() {
  if [ -n "$wine_started" ]; then
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
  fi
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
  # Wine sets up its COMn links when its server starts, from the ttys it finds
  # unless a port is named here, so the server starts again to take it.
  timeout 60 "$wine_cmd" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$link" /f \
    >>"$work/wineboot.log" 2>&1
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  timeout 20 wineserver -w
  wineserver -p >>"$work/wineserver.log" 2>&1
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
