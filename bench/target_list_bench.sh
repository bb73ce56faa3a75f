#!/usr/bin/env bash
# Times the target file list of a drop of one folder holding many files (default
# 30,000) through kadrel-cli --list; prints the best of three runs.
# Usage: bench/target_list_bench.sh [build-dir] [file-count]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"
count="${2:-30000}"
bench/build.sh "$build_dir" kadrel-cli
cli="$build_dir/src/cli/kadrel-cli"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/drop"
# Mixed-case names in a scrambled order, some extensions the filter leaves out.
python3 - "$work/drop" "$count" <<'PY'
import os, random, sys
folder, count = sys.argv[1], int(sys.argv[2])
names = [f"{'File' if i % 2 else 'file'}{i:06d}.{('txt', 'TXT', 'csv', 'log')[i % 4]}" for i in range(count)]
random.Random(1).shuffle(names)
for n in names:
    open(os.path.join(folder, n), "wb").close()
PY
printf '[Option]\nSelSts=*.txt;*.csv\n' > "$work/Kadrel.ini"

best=""
for _ in 1 2 3; do
  start=$(date +%s%N)
  "$cli" --ini "$work/Kadrel.ini" --list "$work/drop" > "$work/list.txt"
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  if [[ -z "$best" || $ms -lt $best ]]; then best=$ms; fi
done
listed=$(wc -l < "$work/list.txt")
echo "target list of $count files in one folder: $listed listed, best of 3: ${best} ms"
