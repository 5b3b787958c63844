# Sourced by the project's scripts and the Wine helpers (POSIX sh), with
# KORV_ROOT set to the source tree:
#   KORV_ROOT=...; . "$KORV_ROOT/scripts/lib.sh"
# - korv_i386: whether this machine executes 32-bit x86 code, probed once per
#   run (the answer travels in KORV_I386 to the scripts a run starts);
# - use_wine win32|win64: the Wine of one Windows architecture;
# - korv_headless COMMAND...: COMMAND on a headless X server of its own;
# - korv_control_id NAME: a control's id from src/dialog/control_ids.h.
[ -f "${KORV_ROOT:-}/scripts/lib.sh" ] || { echo "lib.sh: KORV_ROOT names no source tree" >&2; exit 2; }

# Status 0 where 32-bit code runs, 1 where it does not, 2 while nothing can be
# said (the 32-bit loader is not installed yet; that answer is not kept).
# korv_i386_says holds the probe's line.
korv_i386() {
  if [ -z "${KORV_I386:-}" ]; then
    korv_status=0
    korv_line=$("$KORV_ROOT/scripts/probe-i386") || korv_status=$?
    [ "$korv_status" -eq 2 ] && { korv_i386_says=$korv_line; return 2; }
    KORV_I386="$korv_status $korv_line"
    export KORV_I386
  fi
  korv_i386_says=${KORV_I386#* }
  return "${KORV_I386%% *}"
}

# Debian's wine wrapper runs the 32-bit loader whenever wine32 is installed,
# so each architecture names its loader and server by path. A prefix is made
# for one architecture and stays so.
use_wine() {
  case $1 in
    win32) WINE=/usr/lib/wine/wine; WINESERVER=/usr/lib/wine/wineserver32 ;;
    win64) WINE=/usr/lib/wine/wine64; WINESERVER=/usr/lib/wine/wineserver64 ;;
    *) echo "lib.sh: unknown architecture '$1' (win32 or win64)" >&2; exit 2 ;;
  esac
  [ -x "$WINE" ] || { echo "lib.sh: $WINE is missing: scripts/setup installs Wine for $1" >&2; exit 2; }
  WINEARCH=$1
  WINELOADER=$WINE
  export WINEARCH WINELOADER WINESERVER
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# KORV_SCREEN sets the screen's size (default 1280x1024).
korv_headless() {
  xvfb-run -a -s "-screen 0 ${KORV_SCREEN:-1280x1024}x24" "$@"
}

korv_control_id() {
  korv_id=$(awk -v name="$1" '$1 == "#define" && $2 == name { print $3 }' "$KORV_ROOT/src/dialog/control_ids.h")
  [ -n "$korv_id" ] || { echo "lib.sh: no control $1 in src/dialog/control_ids.h" >&2; exit 2; }
  echo "$korv_id"
}
