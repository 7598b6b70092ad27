#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test.
# Every configuration is tried even when an earlier one fails; the exit
# status tells whether all of them passed.
set -uo pipefail
cd "$(dirname "$0")"

tools/install_packages.sh || exit 1
failed=()
for preset in host win32 win64; do
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$(nproc)" && ctest --preset "$preset"; }; then
    failed+=("$preset")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "All configurations built and passed their tests."
