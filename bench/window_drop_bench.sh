#!/usr/bin/env bash
# Times a drop of one folder of many files (default 30,000) on the main window's
# target list, under the offscreen platform; prints the best of three runs.
# Usage: bench/window_drop_bench.sh [build-dir] [file-count]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"
count="${2:-30000}"
bench/build.sh "$build_dir" kadrel_window_drop_bench
bench="$build_dir/bench/kadrel_window_drop_bench"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$count" <<'PY'
import os, random, sys
folder, count = sys.argv[1], int(sys.argv[2])
names = [f"{'File' if i % 2 else 'file'}{i:06d}.{('txt', 'TXT', 'csv', 'log')[i % 4]}" for i in range(count)]
random.Random(1).shuffle(names)
for n in names:
    open(os.path.join(folder, n), "wb").close()
PY
QT_QPA_PLATFORM=offscreen "$bench" "$work"
