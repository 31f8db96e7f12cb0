#!/usr/bin/env bash
# Starts the real program under a virtual X server as a user would: the title
# window shows, the sign-in dialog is confirmed (or cancelled), the main window
# appears and "시스템 종료" on the toolbar ends the program. With
# closewhiledisabled, a close request for the main window while the lookup
# window is open changes nothing; once that window is closed, the same request
# ends the program.
# Usage: run_real_program.sh <path to rida> confirm|cancel|closewhiledisabled <path to wm_delete>
set -euo pipefail
exe="$1"; mode="$2"; wm_delete="${3:-}"
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
if [ "$mode" = closewhiledisabled ]; then
  # "지가조서 조회" is the first toolbar button.
  xdotool mousemove --window "$main" 60 80 click 1
  lookup=$(find_window '^지가조서 조회$')
  [ -n "$lookup" ] || fail "no lookup window"
  "$wm_delete" "$main"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "a close request for the disabled main window ended the program"
  [ -n "$(xdotool search --onlyvisible --name '^지가조서 조회$' 2>/dev/null)" ] || fail "the lookup window was closed"
  "$wm_delete" "$lookup"
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name '^지가조서 조회$' 2>/dev/null)" ] && break
    sleep 0.2
  done
  [ -z "$(xdotool search --onlyvisible --name '^지가조서 조회$' 2>/dev/null)" ] || fail "the lookup window did not close"
  sleep 0.3
  "$wm_delete" "$main"
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end on a close request for the main window"
  wait "$pid" || fail "exit status $?"
  echo "the main window ignored a close request under the lookup window, then closed"
  exit 0
fi
# "시스템 종료" is the fifth toolbar button, below the menu bar.
xdotool mousemove --window "$main" 540 80 click 1
timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end on 시스템 종료"
wait "$pid" || fail "exit status $?"
echo "signed in, main window shown, ended from the toolbar"
