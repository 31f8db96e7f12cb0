#!/usr/bin/env bash
# Set-up, Release build, then the program on its sample application folder.
# Arguments go to the program: bash scripts/run.sh --archive starts the archive edition.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build/release" Release
program="$root/build/release/bin/rida"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "The program is built ($program) but there is no desktop to show it on:" >&2
  echo "start it from a desktop session, or on a machine without one: xvfb-run -a \"$program\" $*" >&2
  exit 1
fi
exec "$program" "$@"
