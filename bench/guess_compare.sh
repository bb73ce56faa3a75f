#!/usr/bin/env bash
# The code page guess against `nkf --guess` and `uchardet` on a corpus of the
# Japanese text Debian ships (bench/guess_corpus.py: manual pages, vim's tutor,
# message catalogs, in CP932, EUC-JP, UTF-8, UTF-8 with its mark and UTF-16),
# as a table per kind of text and encoding (bench/guess_table.py).
#
#   bench/guess_compare.sh [BUILD_DIR] [PER_KIND] [SEED]
#
# Needs nkf, uchardet and manpages-ja (apt-get install nkf uchardet manpages-ja);
# for measuring only, not a test. PER_KIND (default 200) samples of each kind;
# SEED (default 1) picks them.
set -euo pipefail

build_dir="${1:-build}"
per_kind="${2:-200}"
seed="${3:-1}"
for tool in nkf uchardet; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: apt-get install $tool" >&2; exit 1; }
done
here="$(dirname "$0")"
"$here/build.sh" "$build_dir" guess_bench
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$here/guess_corpus.py" "$work" "$per_kind" "$seed"
python3 "$here/guess_table.py" "$work" "$build_dir/bench/guess_bench"
