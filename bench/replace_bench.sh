#!/usr/bin/env bash
# String replacement over a large CP932 file: Kadrel against sed (bytes only, not
# CP932-safe) and against the pipeline a Linux user needs for CP932
# (iconv | sed | iconv); and Kadrel with its undo journal against Kadrel without
# one (a file in the journal folder's place). Prints times, ratios and peak memory.
#   bench/replace_bench.sh [SIZE_MB]   (default 100; builds into build/ or $KADREL_BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb="${1:-100}"
build_dir="${KADREL_BUILD_DIR:-build}"
bench/build.sh "$build_dir" kadrel-cli
cli="$build_dir/src/cli/kadrel-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 bench/make_text.py "$work/base.txt" "$size_mb" crlf
echo "input: $(du -m "$work/base.txt" | cut -f1) MB, $(wc -l < "$work/base.txt") lines"

# Runs a command, prints "seconds peak_kb"
measure() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }; cat "$work/time"; }

mkdir "$work/journalled" "$work/unjournalled"
touch "$work/journalled/Kadrel.ini" "$work/unjournalled/Kadrel.ini" "$work/unjournalled/KadrelUndo"
cp "$work/base.txt" "$work/k.txt"
read -r k_s k_kb < <(measure "$cli" -q --ini "$work/journalled/Kadrel.ini" -o BkupEdit=0 -s "0,0,a,0,x,#" "$work/k.txt")
grep -q '^link ' "$work/journalled/KadrelUndo/index" || { echo "the run was not journalled by a link" >&2; exit 1; }
cp "$work/base.txt" "$work/n.txt"
read -r n_s n_kb < <(measure "$cli" -q --ini "$work/unjournalled/Kadrel.ini" -o BkupEdit=0 -s "0,0,a,0,x,#" "$work/n.txt")
cp "$work/base.txt" "$work/s.txt"
read -r s_s s_kb < <(measure sed -i 's/a/x/g' "$work/s.txt")
cp "$work/base.txt" "$work/i.txt"
read -r i_s i_kb < <(measure bash -c "iconv -f CP932 -t UTF-8 '$work/i.txt' | sed 's/a/x/g' | iconv -f UTF-8 -t CP932 > '$work/i.out'")
cmp -s "$work/k.txt" "$work/i.out" && same="identical" || same="DIFFERENT"

printf '%-28s %8s %10s\n' "" "seconds" "peak KB"
printf '%-28s %8s %10s\n' "kadrel (mode 0)" "$k_s" "$k_kb"
printf '%-28s %8s %10s\n' "kadrel, no undo journal" "$n_s" "$n_kb"
printf '%-28s %8s %10s\n' "sed -i" "$s_s" "$s_kb"
printf '%-28s %8s %10s\n' "iconv | sed | iconv" "$i_s" "$i_kb"
echo "kadrel / sed:      $(python3 -c "print(round($k_s/$s_s,2))")  (target <= 1.5)"
echo "kadrel / pipeline: $(python3 -c "print(round($k_s/$i_s,2))")  (target < 1)"
echo "kadrel output vs pipeline output: $same"
echo "journalled / not journalled: $(python3 -c "print(round($k_s/max($n_s,0.01),2))")"
