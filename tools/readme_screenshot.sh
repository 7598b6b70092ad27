#!/usr/bin/env bash
# Makes docs/screenshot.png for the README: the viewer's two boxes for
# 24 December 2007, side by side, as Wine draws them under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An empty folder as the current one, so that no DIAR.TXT adds boxes.
(cd "$work" && DISPLAY= "$root/run.sh" 24.12.2007)
shots="$root/build/win64/run"
convert "$shots/box-1.png" -size 12x1 xc:white "$shots/box-2.png" -background white -gravity north \
  +append "$root/docs/screenshot.png"
echo "Saved $root/docs/screenshot.png"
