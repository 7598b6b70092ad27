#!/usr/bin/env bash
# Runs the viewer under Wine with the given parameters, e.g. ./run.sh 24.12.2007
#
# Builds the 64-bit programs first when needed (this machine runs no 32-bit
# code). With a usable $DISPLAY the boxes appear there for you to click.
# Without one they appear on a private Xvfb: each box's caption and text is
# printed, a screenshot of it saved as PNG, and the box answered (OK, or No
# to a question), so that the run ends by itself.
# The viewer's current folder is the one run.sh is started from: a DIAR.TXT
# there gives reminders.
set -euo pipefail

caller=$PWD
cd "$(dirname "$0")"
root=$PWD
build="$root/build/win64"
shots="$build/run"

# Installs the tools only when something is missing.
for tool in cmake python3 x86_64-w64-mingw32-g++ Xvfb faketime xwd convert; do
  command -v "$tool" >/dev/null || { tools/install_packages.sh; break; }
done
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || tools/install_packages.sh
locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$' || tools/install_packages.sh

[ -f "$build/CMakeCache.txt" ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target viewer box_driver >/dev/null

# The parameters as one command line: a word with blanks in double quotes.
parameters=""
for word in "$@"; do
  case $word in *[[:space:]]*) word="\"$word\"" ;; esac
  parameters+="${parameters:+ }$word"
done

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# The viewer's name follows the edition's year: RS7.EXE for 2007.
year=$(sed -n 's/^RANOSLOV_YEAR:[A-Z]*=//p' "$build/CMakeCache.txt")
viewer="$build/RS$((year - 2000)).EXE"
[ "$year" != 2001 ] || viewer="$build/RS.EXE"

trap '"$root/tools/wine_env.sh" stop "$build"' EXIT
trap 'exit 130' INT TERM
if [ -n "${DISPLAY:-}" ] && timeout 5 xwd -root -silent >/dev/null 2>&1; then
  tools/wine_env.sh start "$build" --display
  cd "$caller"
  "$root/tools/wine_env.sh" run "$build" 3600 wine "$viewer" "$@"
  exit
fi

tools/wine_env.sh start "$build"
rm -rf "$shots"
mkdir -p "$shots"
tools/wine_env.sh run "$build" 120 wine "$build/e2e/box_driver.exe" --cwd "$(windows_path "$caller")" \
  --default-answer no --screenshots "$(windows_path "$shots")" "$(windows_path "$viewer")" "$parameters" \
  >"$shots/boxes.jsonl" || status=$?

python3 - "$shots" <<'EOF'
import json, os, subprocess, sys

shots = sys.argv[1]
for line in open(os.path.join(shots, "boxes.jsonl"), encoding="utf-8"):
    record = json.loads(line)
    event = record["event"]
    if event == "box":
        bitmap = os.path.join(shots, "box-%d.bmp" % record["index"])
        picture = bitmap[:-4] + ".png"
        subprocess.run(["convert", bitmap, picture], check=False)
        if os.path.exists(picture):
            os.remove(bitmap)
        print("[%d] %s" % (record["index"], record["caption_utf8"]))
        for text_line in record["text_utf8"].replace("\r\n", "\n").replace("\r", "\n").split("\n"):
            print("    " + text_line)
        print("    (buttons: %s; icon: %s; owner: %s; answered: %s; screenshot: %s)" % (
            ", ".join(record["buttons"]), record["icon"], record["owner"], record["answer"],
            picture))
    elif event == "window":
        print("a window that is no message box: %s %r" % (record["class"], record["caption_utf8"]))
    elif event == "exit":
        print("The viewer ended with exit code %d after %d ms." % (record["code"], record["elapsed_ms"]))
    elif event == "error":
        print("error: " + record["message"])
EOF
exit "${status:-0}"
