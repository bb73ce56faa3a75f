#!/usr/bin/env bash
# A preview against the run it shows: kadrel-cli --dry-run (its diff written to
# /dev/null) and the run itself over the same large CP932 file, once for a
# replacement that changes most lines, one that changes a few and one that
# changes nothing.
# Prints times and peak memory.
#   bench/preview_bench.sh [SIZE_MB]   (default 100; builds into build/ or $KADREL_BUILD_DIR)
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
touch "$work/empty.ini"

# Runs a command, prints "seconds peak_kb"
measure() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }; cat "$work/time"; }

printf '%-34s %8s %10s\n' "" "seconds" "peak KB"
for step in "0,0,a,0,x,#" "0,0,qqq,0,x,#" "0,0,zqzqzq,0,x,#"; do
  cp "$work/base.txt" "$work/t.txt"
  read -r r_s r_kb < <(measure "$cli" -q --ini "$work/empty.ini" -o BkupEdit=0 -s "$step" "$work/t.txt")
  cp "$work/base.txt" "$work/t.txt"
  read -r p_s p_kb < <(measure "$cli" -q --ini "$work/empty.ini" -o BkupEdit=0 -n -s "$step" "$work/t.txt")
  cmp -s "$work/base.txt" "$work/t.txt" || { echo "the preview wrote the file" >&2; exit 1; }
  printf '%-34s %8s %10s\n' "run      -s $step" "$r_s" "$r_kb"
  printf '%-34s %8s %10s\n' "preview  -s $step" "$p_s" "$p_kb"
  echo "preview / run: $(python3 -c "print(round($p_s/max($r_s,0.01),2))")"
done
