#!/bin/sh
# Runs a Windows program under Wine with Wine's own diagnostics silenced, so that the program's
# standard error holds only what the program writes. WINEPREFIX is taken from the environment
# (CI gives it a throwaway one).
WINEDEBUG=-all
export WINEDEBUG
# Wine's server and background services outlive the program that starts them, and would keep
# its output streams open for seconds after it ends (a test runner waits for those). So when no
# server runs yet, one is started here, with its services, detached from the streams; it stays
# up five seconds after the last program ends, for the next one.
if wineserver -p5 </dev/null >/dev/null 2>&1; then
  wine wineboot </dev/null >/dev/null 2>&1
fi
exec wine "$@"
