#!/usr/bin/env bash
# Set-up, Release build, then the program on its sample application folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build/release" Release
exec "$root/build/release/bin/rida"
