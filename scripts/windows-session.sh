# Shell functions, sourced by the Windows scripts: a private Xvfb and a Wine prefix set up
# for the program. end_windows_session stops every process they started.

session_xvfb_pid=""
session_prefix=""

# Starts Xvfb on a free display number and exports DISPLAY. $1: a scratch directory.
start_private_xvfb() {
  local work=$1 n
  # Depth 24: at 16 bits the colours shift, and 32 does not start.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  session_xvfb_pid=$!
  for n in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$session_xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$work/display")"
}

# Exports WINEPREFIX=$1 and creates the prefix when it does not exist yet. $2 "tests" also
# sets what the tests want. Every Wine call after this must keep the same DISPLAY.
start_wine_prefix() {
  local prefix=$1 purpose=${2:-}
  export WINEPREFIX=$prefix
  export WINEDEBUG=${WINEDEBUG--all}
  # No Mono or Gecko: the prefix is made without asking to download them.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES-mscoree,mshtml=}
  session_prefix=$prefix
  mkdir -p "$prefix"
  wineserver -p
  if [ ! -f "$prefix/.ombrasel" ]; then
    echo "Creating the Wine prefix $prefix"
    wineboot --init >/dev/null 2>&1
    # Fonts without a face name: Wine's mapper would take the first font that covers
    # Shift-JIS in its own order (Droid Sans Fallback, which has no digits, when
    # installed). The first name it tries for a fixed-pitch font is Courier New, which
    # Debian does not have; IPAGothic stands in for it.
    cat >"$prefix/ombrasel.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="IPAGothic"
REG
    if [ "$purpose" = tests ]; then
      # Without a window manager a managed window takes 2 s to close; the test programs'
      # windows are unmanaged. The program itself stays managed, so that its X window
      # is exactly its client area.
      cat >>"$prefix/ombrasel.reg" <<'REG'

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\ombrasel.exe\X11 Driver]
"Managed"="Y"
REG
    fi
    wine regedit /S "$(winepath -w "$prefix/ombrasel.reg")" >/dev/null 2>&1
    touch "$prefix/.ombrasel"
  fi
}

end_windows_session() {
  if [ -n "$session_prefix" ]; then
    WINEPREFIX=$session_prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$session_prefix wineserver -w 2>/dev/null || true
    session_prefix=""
  fi
  if [ -n "$session_xvfb_pid" ]; then
    kill "$session_xvfb_pid" 2>/dev/null || true
    wait "$session_xvfb_pid" 2>/dev/null || true
    session_xvfb_pid=""
  fi
}
