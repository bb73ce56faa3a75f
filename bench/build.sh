#!/usr/bin/env bash
# Builds what a benchmark needs into BUILD_DIR, with the benchmark programs
# switched on (scripts/test leaves them off).
#   bench/build.sh BUILD_DIR TARGET...
set -euo pipefail
build_dir="$(realpath -m "$1")"
shift
cd "$(dirname "$0")/.."
cmake -S . -B "$build_dir" -DKADREL_BENCH=ON >/dev/null
cmake --build "$build_dir" -j"${KADREL_JOBS:-2}" $(printf -- '--target %s ' "$@") >/dev/null
