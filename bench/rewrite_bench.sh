#!/usr/bin/env bash
# Rewriting benchmarks: our engines, run through kadrel-cli, against
# the classic tools on the same data, with wall time and peak memory.
#
#   bench/rewrite_bench.sh [SIZE_MB] [STRETCH_MB]
#
# SIZE_MB (default 120): size of the generated CP932 files.
#   - line-ending conversion (mode 1) of an LF-only file against unix2dos on a copy;
#   - blank line and space deletion (mode 5: blank and space-only lines, LEFT,
#     RIGHT) of a CR LF file against the equivalent sed call.
# STRETCH_MB (default 1100, 0 skips): mode 1 on an LF-only file of that size, which
#   the line reader sees as one line; peak memory must stay under 64 MB and the
#   output must equal unix2dos's. Needs about 5 x STRETCH_MB of free disk.
# Before that, mode 1 is checked against a line-by-line reference (python) on a
# file with mixed line ends.
#
# The program is built into $KADREL_BUILD_DIR (default build). Temporary files go
# to $TMPDIR and are removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${KADREL_BUILD_DIR:-build}"
bench/build.sh "$build_dir" kadrel-cli
cli="$(realpath "$build_dir/src/cli/kadrel-cli")"
make_text="$(realpath bench/make_text.py)"
size_mb="${1:-120}"
stretch_mb="${2:-1100}"

for tool in unix2dos sed python3 /usr/bin/time cmp; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/kadrel-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

exec 3>&1  # reports go here even while a measured command's output is redirected

# measure LABEL COMMAND...: runs the command once; sets SECS (wall), CPU (user +
# system; steadier than wall time on a shared machine) and PEAK_MB (maximum
# resident set size).
measure() {
  local label="$1"
  shift
  /usr/bin/time -f "%e %U %S %M" -o time.out "$@"
  local user sys peak_kb
  read -r SECS user sys peak_kb <time.out
  CPU=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  PEAK_MB=$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')
  printf '  %-10s %7.2f s wall  %7.2f s cpu  %8s MB peak\n' "$label" "$SECS" "$CPU" "$PEAK_MB" >&3
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

same() {
  if cmp -s "$1" "$2"; then echo "  outputs identical"; else echo "  OUTPUTS DIFFER" >&2; exit 1; fi
}

echo "== generating ${size_mb} MB CP932 text =="
python3 "$make_text" lf.txt "$size_mb" lf
python3 "$make_text" crlf.txt "$size_mb" crlf
ls -l lf.txt crlf.txt | awk '{ printf "  %s %d bytes\n", $9, $5 }'

echo "== mode 1: line-ending conversion of an LF-only file =="
cp lf.txt ours.txt
cp lf.txt theirs.txt
measure kadrel "$cli" -q -o BkupEdit=0 -s "1,#" ours.txt
ours=$SECS ours_cpu=$CPU
measure unix2dos unix2dos -q theirs.txt
echo "  ratio kadrel/unix2dos: wall $(ratio "$ours" "$SECS"), cpu $(ratio "$ours_cpu" "$CPU") (target <= 1.00)"
same ours.txt theirs.txt
rm -f ours.txt theirs.txt lf.txt

echo "== mode 5: blank lines and spaces (U+0020, U+3000) deleted =="
cp crlf.txt ours.txt
measure kadrel "$cli" -q -o BkupEdit=0 -s "5,1,1,1,0,1,#" ours.txt
ours=$SECS ours_cpu=$CPU
# The same work for sed, byte-wise in CP932: drop the CR, trim half-width and
# full-width (0x81 0x40) spaces at both ends, drop what became empty, put CR back.
# (Equivalent on this data: no trail byte 0x81 stands before a line's trailing spaces.)
measure sed env LC_ALL=C sed -E -e 's/\r$//' -e 's/^( |\x81\x40)+//' -e 's/( |\x81\x40)+$//' \
  -e '/^$/d' -e 's/$/\r/' crlf.txt >theirs.txt
echo "  ratio kadrel/sed: wall $(ratio "$ours" "$SECS"), cpu $(ratio "$ours_cpu" "$CPU") (target <= 1.50)"
same ours.txt theirs.txt
rm -f ours.txt theirs.txt crlf.txt

echo "== mode 1 against the line-by-line algorithm, mixed line ends =="
python3 - <<'EOF'
import random
rng = random.Random(7)
lines = []
for i in range(400000):
    text = "".join(rng.choice("abc あいう\n") for _ in range(rng.randint(0, 40)))
    lines.append(text + rng.choice(["\n", "\n", "\r\n", "\r", "\n\r\n", ""]))
data = "".join(lines).encode("cp932")
open("mixed.txt", "wb").write(data)

# Line input ends a line at CR or CR LF; each LF of a line ends a piece written with
# CR LF; what remains after the last LF, or the whole line without LF, gets CR LF.
out = bytearray()
i, n = 0, len(data)
while i < n:
    cr = data.find(b"\r", i)
    end = n if cr < 0 else cr
    line = data[i:end]
    i = n if cr < 0 else cr + 1
    if cr >= 0 and i < n and data[i] == 0x0A:
        i += 1
    pieces = line.split(b"\n")
    for p in pieces[:-1]:
        out += p + b"\r\n"
    if len(pieces) == 1 or pieces[-1]:
        out += pieces[-1] + b"\r\n"
open("mixed.expected", "wb").write(out)
print("  %d bytes in, %d bytes expected" % (len(data), len(out)))
EOF
"$cli" -q -o BkupEdit=0 -s "1,#" mixed.txt
same mixed.txt mixed.expected
rm -f mixed.txt mixed.expected

if [[ "$stretch_mb" != 0 ]]; then
  echo "== stretch: mode 1 on a ${stretch_mb} MB LF-only file (one input line) =="
  python3 "$make_text" big.txt "$stretch_mb" lf
  cp big.txt theirs.txt
  measure kadrel "$cli" -q -o BkupEdit=0 -s "1,#" big.txt
  ours=$SECS ours_cpu=$CPU ours_peak=$PEAK_MB
  measure unix2dos unix2dos -q theirs.txt
  echo "  ratio kadrel/unix2dos: wall $(ratio "$ours" "$SECS"), cpu $(ratio "$ours_cpu" "$CPU")"
  awk -v p="$ours_peak" 'BEGIN { exit !(p < 64) }' &&
    echo "  peak ${ours_peak} MB < 64 MB" || { echo "  PEAK ${ours_peak} MB >= 64 MB" >&2; exit 1; }
  same big.txt theirs.txt
  rm -f big.txt theirs.txt
fi
