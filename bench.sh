#!/usr/bin/env bash
# Prints figures, checks nothing:
#  - the size of the release viewer (build/win32) against the text block it
#    carries (WatchwordTableSize), and the difference: the program itself
#    (goal: under 40 KiB); the sizes of the installer (goal: under 64 KiB)
#    and of the distribution package;
#  - under Wine, the time from process start to the first box, for the
#    64-bit viewer and for a program that only shows one box: the median of
#    a few runs each;
#  - under Wine, the viewer's whole run (its boxes answered at once) on a
#    50 MB DIAR.TXT of lines that never apply, against a program that only
#    reads the same file in 64 KiB blocks: medians and their ratio (goal: at
#    most 2);
#  - the viewer's peak memory with a DIAR.TXT of one 20 MB line, against the
#    same with a short line, and the growth against the line's size.
# Usage: ./bench.sh [RUNS]   (default 7)
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
runs=${1:-7}

for preset in win32 win64; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
done
cmake --build --preset win32 -j "$(nproc)" --target viewer installer package_zip >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target viewer box_driver one_box read_blocks >/dev/null

year=$(sed -n 's/^RANOSLOV_YEAR:[A-Z]*=//p' build/win32/CMakeCache.txt)
name="RS$((year - 2000)).EXE"
[ "$year" != 2001 ] || name=RS.EXE

# The block's size as the compiler sees it: the generated table compiled
# with a probe that prints it.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
cat >"$probe/size.cpp" <<'EOF'
#include <stdio.h>
#include <stddef.h>
extern const size_t WatchwordTableSize;
int main() { printf("%zu\n", WatchwordTableSize); }
EOF
g++ -fexec-charset=CP1250 -o "$probe/size" "$probe/size.cpp" build/win32/watchword_table.cpp
table=$("$probe/size")
program=$(stat -c %s "build/win32/$name")
difference=$((program - table))

echo "Size of the release viewer (build/win32/$name)"
printf '  %-34s %9d bytes\n' "program file" "$program" "text block (WatchwordTableSize)" "$table" \
  "difference" "$difference"
printf '  %-34s %9s\n' "difference in KiB (goal: under 40)" "$(awk -v d="$difference" 'BEGIN { printf "%.1f", d / 1024 }')"

echo
echo "Sizes of the installer and the package (build/win32)"
installer=$(stat -c %s build/win32/INSTALL.EXE)
printf '  %-34s %9d bytes  %6.1f KiB (goal: under 64)\n' "INSTALL.EXE" "$installer" \
  "$(awk -v d="$installer" 'BEGIN { print d / 1024 }')"
package=$(ls build/win32/dist/*.zip)
printf '  %-34s %9d bytes\n' "$(basename "$package")" "$(stat -c %s "$package")"

build="$root/build/win64"
trap 'rm -rf "$probe"; tools/wine_env.sh stop "$build"' EXIT
tools/wine_env.sh start "$build"
work="$build/bench"
mkdir -p "$work"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Milliseconds from the start of the process to its first box, once. The
# output goes to a file: a Wine process started on the way may keep a pipe.
first_box() {
  tools/wine_env.sh run "$build" 60 --date '2007-03-05 12:00:00' wine "$build/e2e/box_driver.exe" \
    --cwd "$(windows_path "$work")" "$(windows_path "$1")" >"$work/boxes.jsonl"
  python3 -c 'import json, sys
times = [json.loads(line)["elapsed_ms"] for line in open(sys.argv[1]) if "\"event\":\"box\"" in line]
print(times[0] if times else "none")' "$work/boxes.jsonl"
}

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo
echo "Time from process start to the first box under Wine (ms, $runs runs after one warm-up)"
for program in "$build/$name" "$build/e2e/one_box.exe"; do
  first_box "$program" >/dev/null
  times=()
  for _ in $(seq "$runs"); do times+=("$(first_box "$program")"); done
  printf '  %-34s median %5s   runs: %s\n' "${program#"$root/"}" "$(echo "${times[*]}" | median)" "${times[*]}"
done

# The driver on a program in a folder; its records go to $work/records.jsonl.
drive() {
  local folder=$1
  shift
  tools/wine_env.sh run "$build" 300 --date "$year-03-05 12:00:00" wine "$build/e2e/box_driver.exe" \
    --cwd "$(windows_path "$folder")" --step-timeout 120000 "$@" >"$work/records.jsonl"
}

# A member of the driver's last record of an event, or "none".
record() {
  python3 -c 'import json, sys
value = "none"
for line in open(sys.argv[1]):
    record = json.loads(line)
    if record["event"] == sys.argv[2] and sys.argv[3] in record:
        value = record[sys.argv[3]]
print(value)' "$work/records.jsonl" "$1" "$2"
}

# DIAR.TXT files: 50 MB of dated lines, none for 5 March, the day the runs
# show; one line of 20 MB (and a short one for comparison) that does not
# apply, followed by one that does, whose box is the moment to measure; and
# an empty one.
big="$work/big"
long="$work/long"
short="$work/short"
empty="$work/empty"
trap 'rm -rf "$probe" "$big" "$long" "$short" "$empty"; tools/wine_env.sh stop "$build"' EXIT
mkdir -p "$big" "$long" "$short" "$empty"
: >"$empty/DIAR.TXT"
python3 - "$big/DIAR.TXT" "$long/DIAR.TXT" "$short/DIAR.TXT" <<'EOF'
import sys

lines = []
size = 0
number = 0
while size < 50 * 1024 * 1024:
    day, month = number % 28 + 1, number % 12 + 1
    if month == 3:
        month = 4
    line = ("%d.%d. Připomínka číslo %d, která dnes neplatí\r\n" % (day, month, number)).encode("cp1250")
    lines.append(line)
    size += len(line)
    number += 1
open(sys.argv[1], "wb").write(b"".join(lines))
open(sys.argv[2], "wb").write(b"23.12. " + b"x" * (20 * 1024 * 1024) + b"\r\nKonec\r\n")
open(sys.argv[3], "wb").write(b"23.12. x\r\nKonec\r\n")
EOF

echo
echo "Reminders: the viewer's whole run against a plain read of a $(($(stat -c %s "$big/DIAR.TXT") / 1048576)) MB DIAR.TXT"
echo "under Wine (ms from process start to its end, $runs runs after one warm-up). The viewer's"
echo "run with an empty DIAR.TXT, next to it, gives its fixed cost and so the file's share; the"
echo "plain read's share is what read_blocks.exe measures itself."
# One run under the driver: its exit record's member NAME; the end of the
# benchmark when the program fails.
timed() {
  local member=$1
  shift
  drive "$@"
  case $(record exit code) in none | 4294967295)
    echo "$2 failed: see $work/records.jsonl" >&2
    exit 1
    ;;
  esac
  record exit "$member"
}
viewer=$(windows_path "$build/$name")
reader=$(windows_path "$build/e2e/read_blocks.exe")
timed elapsed_ms "$big" "$viewer" >/dev/null
timed elapsed_ms "$big" "$reader" DIAR.TXT >/dev/null
viewer_times=() viewer_empty=() viewer_share=() read_times=() read_share=()
for _ in $(seq "$runs"); do
  v=$(timed elapsed_ms "$big" "$viewer")
  v0=$(timed elapsed_ms "$empty" "$viewer")
  r=$(timed elapsed_ms "$big" "$reader" DIAR.TXT)
  microseconds=$(timed code "$big" "$reader" DIAR.TXT)
  viewer_times+=("$v") viewer_empty+=("$v0") viewer_share+=("$((v - v0))")
  read_times+=("$r") read_share+=("$((microseconds / 1000))")
done
vm=$(echo "${viewer_times[*]}" | median)
rm=$(echo "${read_times[*]}" | median)
vs=$(echo "${viewer_share[*]}" | median)
rs=$(echo "${read_share[*]}" | median)
printf '  %-40s median %5s   runs: %s\n' \
  "$name, its two text boxes answered" "$vm" "${viewer_times[*]}" \
  "read_blocks.exe (64 KiB blocks)" "$rm" "${read_times[*]}" \
  "$name, empty DIAR.TXT" "$(echo "${viewer_empty[*]}" | median)" "${viewer_empty[*]}" \
  "$name, the file's share" "$vs" "${viewer_share[*]}" \
  "read_blocks.exe, the reading itself" "$rs" "${read_share[*]}"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
printf '  %-40s %12s\n' "ratio of the whole runs (goal: at most 2)" "$(ratio "$vm" "$rm")" \
  "ratio of the file's shares" "$(ratio "$vs" "$rs")"

echo
echo "Reminders: the viewer's peak memory under Wine, sampled at the box after the line (bytes)"
drive "$short" --memory "$(windows_path "$build/$name")"
short_set=$(record box peak_working_set)
short_file=$(record box peak_pagefile)
drive "$long" --memory "$(windows_path "$build/$name")"
long_set=$(record box peak_working_set)
long_file=$(record box peak_pagefile)
line=$((20 * 1024 * 1024 + 7))
printf '  %-34s %12s %12s\n' "" "working set" "pagefile" "a short line" "$short_set" "$short_file" \
  "one line of $line bytes" "$long_set" "$long_file" \
  "growth" "$((long_set - short_set))" "$((long_file - short_file))"
printf '  %-34s %12s %12s\n' "growth / line size" \
  "$(awk -v g="$((long_set - short_set))" -v l="$line" 'BEGIN { printf "%.2f", g / l }')" \
  "$(awk -v g="$((long_file - short_file))" -v l="$line" 'BEGIN { printf "%.2f", g / l }')"
