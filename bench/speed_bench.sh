#!/usr/bin/env bash
# Speed and memory of the engines against the byte tools, side by side in one run:
# extraction against grep and awk, replacement against sed -i, and one huge line.
#
#   bench/speed_bench.sh [SIZE_MB] [LINE_MB] [BIG_LINE_MB]
#
# SIZE_MB (default 100): a CP932 file of Japanese prose with ASCII lines
#   (bench/make_text.py prose). LINE_MB (default 100): the same text as one line,
#   replaced against sed -i. BIG_LINE_MB (default 200, 0 skips): one line through
#   modes 0, 2, 5 and 4, peak memory.
# Each command runs RUNS times (default 3); a row shows the least CPU time (user +
# system, steadier than wall time on a shared machine) and the least peak resident
# memory of those runs. The peers write their output to a file (GNU grep stops at
# the first match when its output is /dev/null). The byte tools are not CP932-safe;
# the outputs are compared all the same, and a difference is reported.
# KADREL_CLI names the kadrel-cli to measure; otherwise it is built into
# $KADREL_BUILD_DIR (default build). Temporary files go to $TMPDIR.
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb="${1:-100}"
line_mb="${2:-100}"
big_mb="${3:-200}"
runs="${RUNS:-3}"
if [[ -z "${KADREL_CLI:-}" ]]; then
  build_dir="${KADREL_BUILD_DIR:-build}"
  bench/build.sh "$build_dir" kadrel-cli
  KADREL_CLI="$build_dir/src/cli/kadrel-cli"
fi
cli="$(realpath "$KADREL_CLI")"
make_text="$(realpath bench/make_text.py)"

work="$(mktemp -d "${TMPDIR:-/tmp}/kadrel-speed-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

# rusage.py FILE COMMAND...: runs the command and writes "cpu_seconds peak_kb" of it
# to FILE: user + system time to the microsecond (/usr/bin/time shows hundredths)
# and the maximum resident set size.
cat >rusage.py <<'EOF'
import os, sys
pid = os.fork()
if pid == 0:
    os.execvp(sys.argv[2], sys.argv[2:])
_, status, ru = os.wait4(pid, 0)
with open(sys.argv[1], "w") as f:
    f.write("%.6f %d\n" % (ru.ru_utime + ru.ru_stime, ru.ru_maxrss))
sys.exit(0 if os.waitstatus_to_exitcode(status) == 0 else 1)
EOF

# measure SETUP COMMAND...: runs SETUP then the command RUNS times; sets CPU (least
# user + system seconds) and PEAK (least maximum resident set size, MB).
measure() {
  local setup="$1"
  shift
  CPU=999999 PEAK=999999
  for ((r = 0; r < runs; r++)); do
    eval "$setup"
    python3 rusage.py time.out "$@" >out.txt 2>err.txt ||
      { cat err.txt >&2; echo "failed: $*" >&2; exit 1; }
    local cpu kb
    read -r cpu kb <time.out
    CPU=$(awk -v a="$CPU" -v c="$cpu" 'BEGIN { printf "%.3f", c < a ? c : a }')
    PEAK=$(awk -v a="$PEAK" -v k="$kb" 'BEGIN { m = k / 1024; printf "%.1f", m < a ? m : a }')
  done
}

# row LABEL OURS_CPU PEER_CPU GOAL [OURS_MB PEER_MB MB_GOAL]: ratios and whether the goals hold.
failed=0
row() {
  local ratio verdict mem=""
  ratio=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  verdict=$(awk -v r="$ratio" -v g="$4" 'BEGIN { print (r <= g ? "ok" : "MISSED") }')
  [[ $verdict == ok ]] || failed=1
  if [[ -n "${5:-}" ]]; then
    local mratio mverdict
    mratio=$(awk -v a="$5" -v b="$6" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    mverdict=$(awk -v r="$mratio" -v g="$7" 'BEGIN { print (r <= g ? "ok" : "MISSED") }')
    [[ $mverdict == ok ]] || failed=1
    mem=$(printf '  %7.1f MB %7.1f MB %5s x (<= %s) %s' "$5" "$6" "$mratio" "$7" "$mverdict")
  fi
  printf '%-44s %7.3f s %7.3f s %5s x (<= %s) %-6s%s\n' "$1" "$2" "$3" "$ratio" "$4" "$verdict" "$mem"
}

same() {  # FILE_A FILE_B WHAT
  cmp -s "$1" "$2" || echo "  note: outputs differ ($3)"
}

echo "== making ${size_mb} MB of CP932 prose, a ${line_mb} MB line and a ${big_mb} MB line =="
python3 "$make_text" text.txt "$size_mb" crlf prose
python3 "$make_text" line.txt "$line_mb" none prose
[[ "$big_mb" != 0 ]] && python3 "$make_text" big.txt "$big_mb" none prose
printf '%s: %s bytes, %s lines; line.txt: %s bytes; kadrel-cli: %s\n' text.txt \
  "$(stat -c %s text.txt)" "$(wc -l <text.txt)" "$(stat -c %s line.txt)" "$cli"
cat text.txt line.txt >/dev/null  # warm the page cache
printf '%s runs per command, least CPU time (user + system) and least peak memory\n\n' "$runs"
printf '%-44s %9s %9s %s\n' "job" "kadrel" "peer" "ratio (goal)"

# extraction_row LABEL GOAL COMPMODE STEP PEER...: Kadrel's result (body lines only)
# against a peer that writes the same lines.
extraction_row() {
  local label="$1" goal="$2" compmode="$3" step="$4"
  shift 4
  measure "rm -f text.txt_SEL" "$cli" -q -o SelAddSts=1 -o CompMode="$compmode" -s "$step" text.txt
  local ours=$CPU
  cp text.txt_SEL ours.out
  measure "" "$@"
  row "$label" "$ours" "$CPU" "$goal"
  same ours.out out.txt "$label"
}

replace=("$cli" -q -o CompMode=1 -o BkupEdit=0 -s)  # then the step and the file

# replacement_row LABEL GOAL INPUT STEP SED_SCRIPT: the file rewritten, against sed -i.
replacement_row() {
  measure "cp $3 ours.txt" "${replace[@]}" "$4" ours.txt
  local ours=$CPU
  measure "cp $3 sed.txt" sed -i "$5" sed.txt
  row "$1" "$ours" "$CPU" "$2"
  same ours.txt sed.txt "$1"
}

extraction_row "mode 4, ERROR, case kept / grep -F" 2.00 1 "4,ERROR,True,,True,,#" \
  env LC_ALL=C grep -F ERROR text.txt
extraction_row "mode 4, error, case ignored / grep -iF" 2.00 0 "4,error,True,,True,,#" \
  env LC_ALL=C grep -iF error text.txt
extraction_row "mode 3, ERROR ... lazy dog / awk range" 1.00 1 "3,ERROR,lazy dog,#" \
  env LC_ALL=C awk '/ERROR/,/lazy dog/' text.txt
replacement_row "mode 0, rare ERROR->WARN / sed -i" 0.50 text.txt "0,0,ERROR,0,WARN,#" 's/ERROR/WARN/g'
replacement_row "mode 0, dense ' '->'_' / sed -i" 1.00 text.txt "0,0, ,0,_,#" 's/ /_/g'

measure "cp line.txt ours.txt" "${replace[@]}" "0,0,ERROR,0,WARN,#" ours.txt
ours=$CPU ours_mb=$PEAK
measure "cp line.txt sed.txt" sed -i 's/ERROR/WARN/g' sed.txt
sed_mb=$PEAK
row "mode 0, one ${line_mb} MB line / sed -i" "$ours" "$CPU" 1.50 "$ours_mb" "$sed_mb" 1.00
# sed keeps a file without a final line end so; every line Kadrel writes ends in CR LF.
printf '\r\n' >>sed.txt
same ours.txt sed.txt "sed, one line"

if [[ "$big_mb" != 0 ]]; then
  echo
  echo "one ${big_mb} MB line, peak memory (the stretch: under 64 MB)"
  rm -f line.txt
  for job in "0 0,0,ERROR,0,WARN,#" "2 2,0,2,1,1,0,>>,0,0,#" "5 5,1,1,1,0,1,#" "4 4,ERROR,True,,True,,#"; do
    mode=${job%% *}
    step=${job#* }
    runs_saved=$runs
    runs=1
    if [[ $mode == 4 ]]; then
      measure "rm -f big.txt_SEL" "$cli" -q -o CompMode=1 -o SelAddSts=1 -s "$step" big.txt
    else
      measure "cp big.txt ours.txt" "${replace[@]}" "$step" ours.txt
    fi
    runs=$runs_saved
    verdict=$(awk -v p="$PEAK" 'BEGIN { print (p < 64 ? "ok" : "over") }')
    printf '  mode %s  %-26s %7.3f s  %8.1f MB  %s\n' "$mode" "$step" "$CPU" "$PEAK" "$verdict"
  done
fi
exit $failed
