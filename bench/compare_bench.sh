#!/usr/bin/env bash
# Kadrel beside the tool a user would pick instead, every job of the speed issue in
# one table: many small files (3 folders deep) rewritten and extracted, start-up,
# and single files with dense keywords or lines of about a megabyte.
#
#   bench/compare_bench.sh [--quick]
#
# Each command runs RUNS times (default 3) on fresh copies of its input; a row shows
# the least wall time, the least CPU time (user + system, summed over every process
# of a pipeline) and, where the row names it, the least peak memory. The ratio is
# Kadrel's time over the peer's: wall for the many-files rows and start-up, CPU for
# the single-file rows (steadier on a shared machine); goals are the issue's (at or
# below 1.0, -n at most 1.2 times the run's own time).
#
# KADREL_CLI names the kadrel-cli to measure (otherwise it is built into
# $KADREL_BUILD_DIR, default build); KADREL_CLI_BEFORE, when set, names a second
# one (say, built from main) measured in the same run and shown beside it (given
# 100,000 files in batches of 32,767, the most its runs listed).
# SIZE_MB (default 100) sizes the single files. --quick leaves out the 100,000
# files row. Temporary files go to $TMPDIR (where files are fsynced: a tmpfs there
# hides the cost of syncing, which sed does not pay).
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
[[ "${1:-}" == "--quick" ]] && quick=1
runs="${RUNS:-3}"
size_mb="${SIZE_MB:-100}"
if [[ -z "${KADREL_CLI:-}" ]]; then
  build_dir="${KADREL_BUILD_DIR:-build}"
  bench/build.sh "$build_dir" kadrel-cli
  KADREL_CLI="$build_dir/src/cli/kadrel-cli"
fi
after="$(realpath "$KADREL_CLI")"
before=""
[[ -n "${KADREL_CLI_BEFORE:-}" ]] && before="$(realpath "$KADREL_CLI_BEFORE")"
make_text="$(realpath bench/make_text.py)"
bench_dir="$(realpath bench)"
cores="$(nproc)"
for tool in sed awk grep perl diff python3 xargs find; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/kadrel-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
: >Kadrel.ini

# rusage.py OUT COMMAND...: runs the command; writes "wall cpu peak_kb minor_faults
# system" to OUT (CPU = user + system of the command and every process it waited for).
cat >rusage.py <<'EOF'
import os, sys, time
start = time.monotonic()
pid = os.fork()
if pid == 0:
    os.execvp(sys.argv[2], sys.argv[2:])
_, status, ru = os.wait4(pid, 0)
wall = time.monotonic() - start
with open(sys.argv[1], "w") as f:
    f.write("%.6f %.6f %d %d %.6f\n" % (wall, ru.ru_utime + ru.ru_stime, ru.ru_maxrss,
                                        ru.ru_minflt, ru.ru_stime))
sys.exit(0 if os.waitstatus_to_exitcode(status) == 0 else 1)
EOF

# measure SETUP COMMAND...: RUNS times SETUP (not timed), then the command; sets WALL,
# CPU (least seconds), PEAK (least MB), FAULTS and SYS (of the run with the least wall).
measure() {
  local setup="$1"
  shift
  WALL=999999 CPU=999999 PEAK=999999 FAULTS=0 SYS=0
  for ((r = 0; r < runs; r++)); do
    eval "$setup"
    python3 rusage.py time.out "$@" >out.txt 2>err.txt ||
      { head -c 2000 err.txt >&2; echo "failed: $*" >&2; exit 1; }
    local wall cpu kb faults sys
    read -r wall cpu kb faults sys <time.out
    if awk -v a="$wall" -v b="$WALL" 'BEGIN { exit !(a < b) }'; then
      WALL=$wall FAULTS=$faults SYS=$sys
    fi
    CPU=$(awk -v a="$CPU" -v c="$cpu" 'BEGIN { printf "%.3f", c < a ? c : a }')
    PEAK=$(awk -v a="$PEAK" -v k="$kb" 'BEGIN { m = k / 1024; printf "%.1f", m < a ? m : a }')
  done
  WALL=$(awk -v w="$WALL" 'BEGIN { printf "%.3f", w }')
}

# One row: the label, then for Kadrel (and the before binary) and the peer the
# figures of the row's metric (wall or cpu), the ratio and whether the goal holds.
failed=0
printf '%s runs per command, least of each; %s cores; kadrel-cli: %s\n' "$runs" "$cores" "$after"
[[ -n "$before" ]] && printf 'before: %s\n' "$before"
printf '\n%-58s %-24s %-24s %-24s %s\n' "job" "kadrel (wall cpu)" \
  "$([[ -n $before ]] && echo "before (wall cpu)" || echo "")" "peer (wall cpu)" "ratio (goal)"
# row LABEL METRIC GOAL OURS_WALL OURS_CPU BEFORE_WALL BEFORE_CPU PEER_WALL PEER_CPU [EXTRA]
row() {
  local label="$1" metric="$2" goal="$3" ratio verdict b=""
  local ours peer
  if [[ $metric == wall ]]; then ours=$4 peer=$8; else ours=$5 peer=$9; fi
  ratio=$(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  if [[ $goal == - ]]; then
    verdict=""
  else
    verdict=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r <= g ? "ok" : "MISSED") }')
    [[ $verdict == ok ]] || failed=1
  fi
  [[ -n "$6" ]] && b=$(printf '%8.3f %8.3f s' "$6" "$7")
  printf '%-58s %8.3f %8.3f s   %-24s %8.3f %8.3f s   %5s x %s (<= %s) %s\n' "$label" "$4" "$5" \
    "$b" "$8" "$9" "$ratio" "$metric" "$goal" "$verdict"
  [[ -z "${10:-}" ]] || printf '    %s\n' "${10}"
}

# kadrel_and_before SETUP ARGS...: measures kadrel-cli ARGS (and the before binary);
# sets K_WALL K_CPU K_PEAK K_FAULTS K_SYS and B_WALL B_CPU B_PEAK (empty without one).
kadrel_and_before() {
  local setup="$1"
  shift
  B_WALL="" B_CPU="" B_PEAK="" B_FAULTS="" B_SYS=""
  if [[ -n "$before" ]]; then
    measure "$setup" "$before" "$@"
    B_WALL=$WALL B_CPU=$CPU B_PEAK=$PEAK B_FAULTS=$FAULTS B_SYS=$SYS
  fi
  measure "$setup" "$after" "$@"
  K_WALL=$WALL K_CPU=$CPU K_PEAK=$PEAK K_FAULTS=$FAULTS K_SYS=$SYS
}

# The same through a shell command line with $KADREL standing for the binary.
kadrel_shell_and_before() {
  local setup="$1" command="$2"
  B_WALL="" B_CPU="" B_PEAK="" B_FAULTS="" B_SYS=""
  if [[ -n "$before" ]]; then
    measure "$setup" env KADREL="$before" bash -c "$command"
    B_WALL=$WALL B_CPU=$CPU B_PEAK=$PEAK B_FAULTS=$FAULTS B_SYS=$SYS
  fi
  measure "$setup" env KADREL="$after" bash -c "$command"
  K_WALL=$WALL K_CPU=$CPU K_PEAK=$PEAK K_FAULTS=$FAULTS K_SYS=$SYS
}

same() {  # FILE_A FILE_B WHAT: a note when two outputs differ
  cmp -s "$1" "$2" || echo "    note: outputs differ ($3)"
}

# ---------------------------------------------------------------- many small files
# make_tree FOLDER COUNT: COUNT CP932 files of 1 to 8 KB spread over 4 x 4 x 4
# folders, each holding "abc" on some lines.
make_tree() {
  python3 - "$1" "$2" "$bench_dir" <<'PY'
import os, random, sys
sys.path.insert(0, sys.argv[3])
import make_text
folder, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
pool = []
for _ in range(4000):
    line = make_text.prose_line(rng)
    if rng.random() < 0.2:
        line += " abc"
    pool.append(line.encode("cp932"))
leaves = [os.path.join(folder, "d%d" % a, "e%d" % b, "f%d" % c)
          for a in range(4) for b in range(4) for c in range(4)]
for leaf in leaves:
    os.makedirs(leaf)
for i in range(count):
    size = rng.randint(1024, 8192)
    body = bytearray()
    while len(body) < size:
        body += pool[rng.randrange(len(pool))] + b"\r\n"
    body += b"abc\r\n"
    with open(os.path.join(leaves[i % len(leaves)], "n%06d.txt" % i), "wb") as f:
        f.write(body)
PY
}

fresh_tree() {  # the tree of COUNT files copied to data/
  echo "rm -rf data && cp -a tree$1 data && sync"
}

step_replace="0,0,abc,0,XYZ,#"
sed_peer="find data -type f -print0 | xargs -0 sed -i 's/abc/XYZ/g'"

many_files_rows() {
  local count="$1"
  make_tree "tree$count" "$count"
  local kb=$(($(du -sk "tree$count" | cut -f1) / count))
  echo
  echo "-- $count files of about $kb KB on disk each, 3 folders deep"
  local setup
  setup="$(fresh_tree "$count")"
  local kadrel_run=(--ini Kadrel.ini -q -o BkupEdit=0 -s "$step_replace" data)
  kadrel_and_before "$setup" "${kadrel_run[@]}"
  if ((count > 32767)) && [[ -n "$before" ]]; then
    # A run of the earlier kadrel-cli listed at most 32,767 files: big batches.
    measure "$setup" env KADREL="$before" bash -c \
      "find data -type f -print0 | xargs -0 -n 32767 -s 2000000 \"\$KADREL\" --ini Kadrel.ini -q -o BkupEdit=0 -s '$step_replace'"
    B_WALL=$WALL B_CPU=$CPU
  fi
  local k=("$K_WALL" "$K_CPU") b=("$B_WALL" "$B_CPU") kf="$K_FAULTS" ks="$K_SYS"
  measure "$setup" bash -c "$sed_peer"
  local label="replace, $count files, no backups / xargs -0 sed -i"
  row "$label" wall 1.00 "${k[@]}" "${b[@]}" "$WALL" "$CPU" \
    "kadrel: $(awk -v c="${k[1]}" -v n="$count" 'BEGIN { printf "%.3f", c * 1000 / n }') ms CPU a file, $(printf '%.2f' "$ks") s of it system time, $kf page faults"
  [[ $count == 10000 ]] || return 0

  kadrel_and_before "$setup" --ini Kadrel.ini -q -o BkupEdit=1 -s "$step_replace" data
  measure "$setup" bash -c "find data -type f -print0 | xargs -0 sed -i_BK 's/abc/XYZ/g'"
  row "replace, $count files, backups kept / sed -i_BK" wall 1.00 \
    "$K_WALL" "$K_CPU" "$B_WALL" "$B_CPU" "$WALL" "$CPU"

  kadrel_and_before "$setup" "${kadrel_run[@]}"
  local k2=("$K_WALL" "$K_CPU") b2=("$B_WALL" "$B_CPU")
  measure "$setup" bash -c "find data -type f -print0 | xargs -0 -P$cores sed -i 's/abc/XYZ/g'"
  row "replace, $count files / xargs -0 -P$cores sed -i" wall 1.00 "${k2[@]}" "${b2[@]}" "$WALL" "$CPU"

  kadrel_and_before "$setup" --ini Kadrel.ini -q -o SelAddSts=1 -s "4,abc,True,,True,,#" data
  measure "$setup" bash -c \
    "find data -type f -print0 | xargs -0 awk 'FNR == 1 { if (out) close(out); out = FILENAME \"_SEL\"; printf \"\" > out } /abc/ { print > out }'"
  row "extraction, $count files, a result file each / awk" wall 1.00 \
    "$K_WALL" "$K_CPU" "$B_WALL" "$B_CPU" "$WALL" "$CPU"
}

many_files_rows 1000
many_files_rows 10000
((quick)) || many_files_rows 100000
rm -rf tree* data

# ---------------------------------------------------------------- start-up
echo
echo "-- start-up: one run over one tiny file, 200 times"
printf 'abc def\r\n' >tiny.txt
calls=200
kadrel_shell_and_before "" \
  "for ((i = 0; i < $calls; i++)); do \"\$KADREL\" --ini Kadrel.ini -q -o BkupEdit=0 -s '$step_replace' tiny.txt || exit 1; done"
measure "" bash -c "for ((i = 0; i < $calls; i++)); do sed -i 's/abc/XYZ/g' tiny.txt; done"
per_call() { [[ -z "$1" ]] && echo "" || awk -v t="$1" -v n="$calls" 'BEGIN { printf "%.3f", t * 1000 / n }'; }
row "one tiny file, ms a call (wall cpu) / sed -i" wall 1.00 "$(per_call "$K_WALL")" \
  "$(per_call "$K_CPU")" "$(per_call "$B_WALL")" "$(per_call "$B_CPU")" \
  "$(per_call "$WALL")" "$(per_call "$CPU")"
row "  the same, CPU" cpu 1.00 "$(per_call "$K_WALL")" "$(per_call "$K_CPU")" \
  "$(per_call "$B_WALL")" "$(per_call "$B_CPU")" "$(per_call "$WALL")" "$(per_call "$CPU")"

# ---------------------------------------------------------------- single files
echo
echo "-- single files of ${size_mb} MB (CP932): a log with the end keyword on nearly every line, prose in lines of about 1 MB"
python3 "$make_text" log.txt "$size_mb" crlf log
python3 "$make_text" mb.txt "$size_mb" mb prose
cat log.txt mb.txt >/dev/null

# extraction_row LABEL COMPMODE STEP INPUT PEER...: Kadrel's result (body lines only)
# against a peer writing the same lines to standard output.
extraction_row() {
  local label="$1" compmode="$2" step="$3" input="$4"
  shift 4
  kadrel_and_before "rm -f $input""_SEL" --ini Kadrel.ini -q -o SelAddSts=1 -o CompMode="$compmode" \
    -s "$step" "$input"
  cp "$input""_SEL" ours.out
  measure "" "$@"
  row "$label" cpu 1.00 "$K_WALL" "$K_CPU" "$B_WALL" "$B_CPU" "$WALL" "$CPU"
  same ours.out out.txt "$label"
}

extraction_row "mode 3 range, end keyword on nearly every line / awk" 1 "3,ERROR,done,#" log.txt \
  env LC_ALL=C awk '/ERROR/,/done/' log.txt
extraction_row "mode 4, lines of ~1 MB, case kept / grep -F" 1 "4,ERROR,True,,True,,#" mb.txt \
  env LC_ALL=C grep -F ERROR mb.txt
extraction_row "mode 4, lines of ~1 MB, case ignored / grep -iF" 0 "4,error,True,,True,,#" mb.txt \
  env LC_ALL=C grep -iF error mb.txt

# rewrite_row LABEL STEP PEER_SCRIPT...: the file rewritten in place, against the peer
# run over a copy (its command line ends with the file name p.txt).
rewrite_row() {
  local label="$1" step="$2"
  shift 2
  kadrel_and_before "cp mb.txt k.txt" --ini Kadrel.ini -q -o CompMode=1 -o BkupEdit=0 -s "$step" k.txt
  measure "cp mb.txt p.txt" "$@"
  row "$label" cpu 1.00 "$K_WALL" "$K_CPU" "$B_WALL" "$B_CPU" "$WALL" "$CPU"
  same k.txt p.txt "$label"
}
rewrite_row "mode 0, rare ERROR->WARN, lines of ~1 MB / sed -i" "0,0,ERROR,0,WARN,#" \
  sed -i 's/ERROR/WARN/g' p.txt
rewrite_row "mode 2, tail numbering, lines of ~1 MB / perl -pi" "2,1,0,2,0,0,,000001,1,#" \
  perl -pi -e 's/\r\n\z/sprintf("%06d\r\n", $.)/e' p.txt

# -n where every line changes: a mark put at the head of every line.
python3 "$make_text" mixed.txt "$size_mb" crlf mixed
kadrel_and_before "" --ini Kadrel.ini -q -n -s "2,0,0,1,1,0,>>,0,0,#" mixed.txt
k_peak=$K_PEAK b_peak=$B_PEAK
measure "" bash -c "sed 's/^/>>/' mixed.txt | diff -u mixed.txt -; [[ \$? -le 1 ]]"
row "-n, every line of ${size_mb} MB changes / sed | diff -u" cpu - \
  "$K_WALL" "$K_CPU" "$B_WALL" "$B_CPU" "$WALL" "$CPU" \
  "peak memory: kadrel $k_peak MB$([[ -n $b_peak ]] && echo ", before $b_peak MB"), peer $PEAK MB (goal: 64 MB plus the largest changed hunk)"
cp mixed.txt run.txt
measure "cp mixed.txt run.txt" "$after" --ini Kadrel.ini -q -o BkupEdit=0 -s "2,0,0,1,1,0,>>,0,0,#" run.txt
row "  -n / the same run writing the file" cpu 1.20 "$K_WALL" "$K_CPU" "" "" "$WALL" "$CPU"

exit $failed
