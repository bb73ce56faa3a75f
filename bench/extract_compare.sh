#!/usr/bin/env bash
# Times the extraction engines against the pipelines a Linux user would write for
# the same job on a CP932 file: iconv to UTF-8, awk or grep, iconv back. Also the
# byte-level `LC_ALL=C grep -F` / awk on the raw CP932 bytes, which are faster but
# not correct in general (a CP932 trailing byte can look like an ASCII character).
#
#   bench/extract_compare.sh [BUILD_DIR] [WORK_DIR] [MEGABYTES]
#
# BUILD_DIR (default build) gets kadrel-cli and bench/extract_bench built; WORK_DIR to a temporary
# folder (removed afterwards); MEGABYTES to 120. Each command runs three times and
# the best wall-clock time is kept (the machine may be shared); CPU is user +
# system of that run, summed over every process of a pipeline. A ratio above 1
# means the pipeline took longer than Kadrel.
set -euo pipefail

build_dir="${1:-build}"
"$(dirname "$0")/build.sh" "$build_dir" kadrel-cli extract_bench
bench="$build_dir/bench/extract_bench"
cli="$build_dir/src/cli/kadrel-cli"
work="${2:-}"
megabytes="${3:-120}"
if [[ -z "$work" ]]; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi
file="$work/log.txt"
sel="$work/log.txt_SEL"
out="$work/pipeline.out"

[[ -f "$file" ]] || "$bench" gen "$file" "$megabytes" >/dev/null
cat "$file" >/dev/null  # warm the page cache
printf 'input: %s bytes, %s lines, CP932\n' "$(stat -c %s "$file")" "$(wc -l <"$file")"
printf 'awk is %s\n\n' "$(readlink -f "$(command -v awk)")"

best_wall=0
best_cpu=0
# Runs "$@" three times through bash's time; keeps the best wall time.
measure() {
  best_wall=999999
  for _ in 1 2 3; do
    local t
    t="$({ TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 | tail -1)"
    read -r wall user sys <<<"$t"
    if awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
      best_wall=$wall
      best_cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
    fi
  done
}

# Kadrel: one plain run of a step line through kadrel-cli, case option CompMode.
measure_kadrel() {  # CompMode STEP_LINE
  rm -f "$sel"
  measure "$cli" -q -o CompMode="$1" -s "$2" "$file"
}

kadrel_lines() {  # the count in the result file's last line
  iconv -f CP932 -t UTF-8 "$sel" | tail -1 | tr -dc '0-9'
}

row() {  # label wall cpu lines [reference wall]
  local ratio="-"
  [[ -n "${5:-}" ]] && ratio=$(awk -v a="$2" -v b="$5" 'BEGIN { printf "%.2f", a / b }')
  printf '  %-58s %7.3f s %7.3f s %8s  %s\n' "$1" "$2" "$3" "$4" "$ratio"
}

header() {
  printf '%s\n  %-58s %9s %9s %8s  %s\n' "$1" "command" "wall" "cpu" "lines" "ratio"
}

pipe_range() { iconv -f CP932 -t UTF-8 "$file" | awk "$1" | iconv -f UTF-8 -t CP932 >"$out"; }
pipe_grep() {
  iconv -f CP932 -t UTF-8 "$file" | LC_ALL=C.UTF-8 grep "$@" | iconv -f UTF-8 -t CP932 >"$out"
}
pipe_grep_and() {
  iconv -f CP932 -t UTF-8 "$file" | LC_ALL=C.UTF-8 grep -F "$1" | LC_ALL=C.UTF-8 grep -F "$2" |
    iconv -f UTF-8 -t CP932 >"$out"
}
byte_grep() { LC_ALL=C grep "$@" "$file" >"$out"; }
byte_awk() { LC_ALL=C awk "$1" "$file" >"$out"; }

header "Keyword range START..END (mode 3), case told apart"
measure_kadrel 1 "3,START,END,#"
k=$best_wall
row "kadrel (CompMode 1)" "$best_wall" "$best_cpu" "$(kadrel_lines)"
measure pipe_range '/START/,/END/'
row "iconv | awk '/START/,/END/' | iconv" "$best_wall" "$best_cpu" "$(wc -l <"$out")" "$k"
measure byte_awk '/START/,/END/'
row "LC_ALL=C awk '/START/,/END/' (bytes)" "$best_wall" "$best_cpu" "$(wc -l <"$out")" "$k"
echo

header "Keyword range START..END (mode 3), case ignored"
measure_kadrel 0 "3,start,end,#"
k=$best_wall
row "kadrel (CompMode 0)" "$best_wall" "$best_cpu" "$(kadrel_lines)"
measure pipe_range 'toupper($0) ~ /START/, toupper($0) ~ /END/'
row "iconv | awk 'toupper(\$0) ~ /START/, ...' | iconv" "$best_wall" "$best_cpu" \
  "$(wc -l <"$out")" "$k"
echo

header "Lines with ERROR or WARN (mode 4), case told apart"
measure_kadrel 1 "4,ERROR,False,WARN,False,,#"
k=$best_wall
row "kadrel (CompMode 1)" "$best_wall" "$best_cpu" "$(kadrel_lines)"
measure pipe_grep -E 'ERROR|WARN'
row "iconv | grep -E 'ERROR|WARN' | iconv" "$best_wall" "$best_cpu" "$(wc -l <"$out")" "$k"
measure byte_grep -F -e ERROR -e WARN
row "LC_ALL=C grep -F -e ERROR -e WARN (bytes)" "$best_wall" "$best_cpu" "$(wc -l <"$out")" "$k"
echo

header "Lines with ERROR or WARN (mode 4), case ignored"
measure_kadrel 0 "4,error,False,warn,False,,#"
k=$best_wall
row "kadrel (CompMode 0)" "$best_wall" "$best_cpu" "$(kadrel_lines)"
measure pipe_grep -i -E 'ERROR|WARN'
row "iconv | grep -i -E 'ERROR|WARN' | iconv" "$best_wall" "$best_cpu" "$(wc -l <"$out")" "$k"
measure byte_grep -i -F -e ERROR -e WARN
row "LC_ALL=C grep -i -F -e ERROR -e WARN (bytes)" "$best_wall" "$best_cpu" \
  "$(wc -l <"$out")" "$k"
echo

header "Lines with ERROR and 接続 (mode 4), case told apart"
measure_kadrel 1 "4,ERROR,True,接続,False,,#"
k=$best_wall
row "kadrel (CompMode 1)" "$best_wall" "$best_cpu" "$(kadrel_lines)"
measure pipe_grep_and ERROR 接続
row "iconv | grep -F ERROR | grep -F 接続 | iconv" "$best_wall" "$best_cpu" "$(wc -l <"$out")" "$k"
echo

echo "Wildcard matcher"
"$bench" matcher | sed 's/^/  /'
