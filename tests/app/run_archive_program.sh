#!/usr/bin/env bash
# Starts the real program's archive edition under a virtual X server on a new
# database in a temporary folder, as an office's first user would: the first
# administrator is made in "첫 관리자 등록", the main window's board shows the
# archive's figures, and "시스템 종료" ends the program. A second start signs
# in with "사용자 로그인": a wrong password is said and the dialog stays, the
# right one opens the main window, whose board names the user.
# Usage: run_archive_program.sh <path to rida> <path to clipboard_text>
set -euo pipefail
exe="$1"; clipboard="$2"
if [ -z "${RIDA_INSIDE_XVFB:-}" ]; then
  export RIDA_INSIDE_XVFB=1
  unset QT_QPA_PLATFORM
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

tmp=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
# No archive.ini of the machine's user is read.
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
mkdir -p "$HOME" "$tmp/pages"
database="$tmp/archive.sqlite"

fail() { echo "FAIL: $*" >&2; exit 1; }
find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
start() { "$exe" --archive --database "$database" --pages "$tmp/pages" & pid=$!; }
type_into() { xdotool type --delay 30 "$1"; }
# The board as the user copies it: a click into it, Ctrl+A, Ctrl+C.
board() {
  xdotool windowfocus --sync "$1"
  xdotool mousemove --window "$1" 300 400 click 1
  xdotool key ctrl+a ctrl+c
  sleep 0.3
  "$clipboard"
}
expect_board() {
  local text="$1"; shift
  for line in "$@"; do
    grep -qxF -- "$line" <<<"$text" || fail "the board lacks \"$line\"; it shows:
$text"
  done
}
quit() {
  # "시스템 종료" is the fifth toolbar button, below the menu bar.
  xdotool mousemove --window "$1" 540 80 click 1
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end on 시스템 종료"
  wait "$pid" || fail "exit status $?"
  pid=""
}
figures=(" 데이터베이스 서버 연결 : 성공" " 이미지 폴더 연결 : 성공"
         " 지가조서 등록 합계 : 0면 (산정조서:0면, 결정조서:0면, 토지특성조사표:0면)" " 사용자 등록 : 1명")

# 1. A new database: the first administrator, then the main window.
start
dialog=$(find_window '^첫 관리자 등록$')
[ -n "$dialog" ] || fail "no first-administrator dialog on a new database"
[ -f "$database" ] || fail "no database was made"
xdotool windowfocus --sync "$dialog"
type_into admin; xdotool key Tab; type_into 'first-pw 1'; xdotool key Tab; type_into 'first-pw 1'; xdotool key Return
main=$(find_window '^rida zir ov ava - TANDELO® v1\.0$')
[ -n "$main" ] || fail "no main window of the archive edition after the first administrator"
sleep 0.5
expect_board "$(board "$main")" " 접속 사용자 : admin" "${figures[@]}"
quit "$main"
echo "first start: the first administrator made, the board read"

# 2. The same database again: sign-in, a wrong password first.
start
splash=$(find_window '^rida zir ov ava$')
dialog=$(find_window '^사용자 로그인$')
[ -n "$dialog" ] || fail "no sign-in dialog on the second start"
xdotool windowfocus --sync "$dialog"
type_into admin; xdotool key Tab; type_into 'wrong'; xdotool key Return
box=""
for _ in $(seq 50); do
  box=$(xdotool search --onlyvisible --name '^rida zir ov ava$' 2>/dev/null | grep -vx "$splash" | head -n 1 || true)
  [ -n "$box" ] && break
  sleep 0.2
done
[ -n "$box" ] || fail "no message after a wrong password"
[ -z "$(xdotool search --onlyvisible --name 'TANDELO® v1\.0' 2>/dev/null)" ] || fail "a wrong password opened the main window"
xdotool windowfocus --sync "$box"
xdotool key Return
sleep 0.5
[ -n "$(xdotool search --onlyvisible --name '^사용자 로그인$' 2>/dev/null)" ] || fail "the sign-in dialog did not stay"
xdotool windowfocus --sync "$dialog"
type_into 'first-pw 1'; xdotool key Return
main=$(find_window '^rida zir ov ava - TANDELO® v1\.0$')
[ -n "$main" ] || fail "no main window after the right password"
sleep 0.5
expect_board "$(board "$main")" " 접속 사용자 : admin" "${figures[@]}"
quit "$main"
echo "second start: a wrong password refused, signed in, the board read"
