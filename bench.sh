#!/usr/bin/env bash
# Prints figures, checks nothing:
#  - the size of the release viewer (build/win32) against the text block it
#    carries (WatchwordTableSize), and the difference: the program itself
#    (goal: under 40 KiB);
#  - under Wine, the time from process start to the first box, for the
#    64-bit viewer and for a program that only shows one box: the median of
#    a few runs each.
# Usage: ./bench.sh [RUNS]   (default 7)
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
runs=${1:-7}

for preset in win32 win64; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
done
cmake --build --preset win32 -j "$(nproc)" --target viewer >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target viewer box_driver one_box >/dev/null

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
