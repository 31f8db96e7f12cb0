#!/usr/bin/env bash
# Set-up, then every test: a Release build, and once more built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

# The tree keeps the house format (.clang-format); an unformatted change fails here.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run --Werror)
fi

bash "$root/scripts/build.sh" "$root/build/release" Release
ctest --test-dir "$root/build/release" --output-on-failure --timeout 600

if [ "${RIDA_SKIP_SANITIZERS:-0}" != 1 ]; then
  bash "$root/scripts/build.sh" "$root/build/asan" RelWithDebInfo -DRIDA_SANITIZE=ON -DRIDA_BENCHMARKS=OFF
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir "$root/build/asan" --output-on-failure --timeout 900 -LE nosan
fi
