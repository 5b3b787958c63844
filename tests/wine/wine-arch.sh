# Sourced by the Wine scripts: picks the Wine of one Windows architecture.
#   . wine-arch.sh; use_wine win32|win64
# Debian's wine wrapper runs the 32-bit loader whenever wine32 is installed,
# so each architecture names its loader and server by path. A prefix is made
# for one architecture and stays so.
use_wine() {
  case $1 in
    win32) WINE=/usr/lib/wine/wine; WINESERVER=/usr/lib/wine/wineserver32 ;;
    win64) WINE=/usr/lib/wine/wine64; WINESERVER=/usr/lib/wine/wineserver64 ;;
    *) echo "wine-arch: unknown architecture '$1' (win32 or win64)" >&2; exit 2 ;;
  esac
  [ -x "$WINE" ] || { echo "wine-arch: $WINE is missing: scripts/setup installs Wine for $1" >&2; exit 2; }
  WINEARCH=$1
  WINELOADER=$WINE
  export WINEARCH WINELOADER WINESERVER
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}
