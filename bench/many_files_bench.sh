#!/usr/bin/env bash
# A folder of many small files (default 10,000 of about 2 KB) rewritten by one
# run of kadrel-cli: string replacement without and with kept backups, and a
# COMBO!! run of two steps; against sed -i over the same files. Prints wall and
# CPU time per run and per file (best of three).
#   bench/many_files_bench.sh [FILE_COUNT]   (builds into build/ or $KADREL_BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
count="${1:-10000}"
build_dir="${KADREL_BUILD_DIR:-build}"
bench/build.sh "$build_dir" kadrel-cli
cli="$(realpath "$build_dir/src/cli/kadrel-cli")"
work="$(mktemp -d "${TMPDIR:-/tmp}/kadrel-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

python3 - "$work/base" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
os.mkdir(folder)
for i in range(count):
    lines = [f"record {i} line {j}: abc def ghi {'x' * (j % 40)}" for j in range(40)]
    with open(os.path.join(folder, f"f{i:05d}.txt"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode())
PY
printf '0,0,abc,0,XYZ,#\r\n5,1,0,0,0,1,#\r\n' > "$work/steps.cmb"
: > "$work/Kadrel.ini"
echo "$count files of $(($(du -sk "$work/base" | cut -f1) / count)) KB in one folder"

# run LABEL COMMAND...: best wall and CPU seconds of three runs over fresh copies.
run() {
  local label="$1" best_wall="" best_cpu=""
  shift
  for _ in 1 2 3; do
    rm -rf "$work/data"
    cp -r "$work/base" "$work/data"
    sync
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
      { cat "$work/err" >&2; exit 1; }
    read -r wall user sys <"$work/time"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
      best_wall=$wall
      best_cpu=$cpu
    fi
  done
  printf '%-34s %7.2f s wall %7.2f s cpu %7.3f ms/file\n' "$label" "$best_wall" "$best_cpu" \
    "$(awk -v w="$best_wall" -v n="$count" 'BEGIN { print w * 1000 / n }')"
}

run "kadrel mode 0, BkupEdit=0" "$cli" --ini "$work/Kadrel.ini" -q -o BkupEdit=0 -s "0,0,abc,0,XYZ,#" "$work/data"
run "  the same, no undo journal" "$cli" --ini "$work/Kadrel.ini" -q --no-undo -o BkupEdit=0 -s "0,0,abc,0,XYZ,#" "$work/data"
run "kadrel mode 0, BkupEdit=1" "$cli" --ini "$work/Kadrel.ini" -q -o BkupEdit=1 -s "0,0,abc,0,XYZ,#" "$work/data"
run "kadrel COMBO!! (2 steps)" "$cli" --ini "$work/Kadrel.ini" -q -c "$work/steps.cmb" "$work/data"
run "sed -i" find "$work/data" -name '*.txt' -exec sed -i 's/abc/XYZ/g' {} +
