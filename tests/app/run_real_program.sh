#!/usr/bin/env bash
# Starts the real program under a virtual X server as a user would: the title
# window shows, the sign-in dialog is confirmed (or cancelled), the main window
# appears and "시스템 종료" on the toolbar ends the program.
# Usage: run_real_program.sh <path to rida> confirm|cancel
set -euo pipefail
exe="$1"; mode="$2"
if [ -z "${RIDA_INSIDE_XVFB:-}" ]; then
  export RIDA_INSIDE_XVFB=1
  unset QT_QPA_PLATFORM
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

fail() { echo "FAIL: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

"$exe" & pid=$!

[ -n "$(find_window '^rida zir ov ava$')" ] || fail "no title window"
dialog=$(find_window '^사용자 로그인$')
[ -n "$dialog" ] || fail "no sign-in dialog"
xdotool windowfocus --sync "$dialog"
if [ "$mode" = cancel ]; then
  xdotool key Escape
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end after Cancel"
  wait "$pid" || fail "exit status $? after Cancel"
  echo "cancelled sign-in ended the program"
  exit 0
fi
xdotool key Return
main=$(find_window 'TANDELO® v1\.0 \(시연용\)')
[ -n "$main" ] || fail "no main window after sign-in"
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^rida zir ov ava$' 2>/dev/null)" ] || fail "the title window stayed on screen"
# "시스템 종료" is the fifth toolbar button, below the menu bar.
xdotool mousemove --window "$main" 540 80 click 1
timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end on 시스템 종료"
wait "$pid" || fail "exit status $?"
echo "signed in, main window shown, ended from the toolbar"
