#!/usr/bin/env bash
# Runs one Windows program under Wine, in the prefix named by WINEPREFIX
# (created on first use). With MAROBEX_NEEDS_DISPLAY=1 and no X display, the
# program runs under a virtual display.
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the build prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE=$(command -v wine64 || command -v wine)

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
) 9>"$WINEPREFIX.lock"

# Wine frames the windows of a program that needs a display itself rather
# than leaving that to a window manager: under a bare X server (xvfb, no
# manager) it would otherwise wait two seconds at every hide for a manager's
# answer, and screenshots would lack the title bars.
if [ "${MAROBEX_NEEDS_DISPLAY:-0}" = 1 ]; then
  app=$(basename "$1")
  if ! grep -qF "[Software\\\\Wine\\\\AppDefaults\\\\$app\\\\X11 Driver]" "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$app\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1 || true
    # Let that session end: a desktop process it started without a display
    # would otherwise serve the program below, which then gets no windows.
    wineserver -w 2>/dev/null || true
  fi
fi

if [ "${MAROBEX_NEEDS_DISPLAY:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE" "$@"
fi
exec "$WINE" "$@"
