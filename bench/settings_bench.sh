#!/usr/bin/env bash
# Loading and saving all settings from a large Kadrel.ini (bench/settings_bench.cpp):
#   bench/settings_bench.sh [SIZE_MB...]   (default 1 15 80)
# A file above the settings size limit is refused at once; its time shows that.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${KADREL_BUILD_DIR:-build}"
bench/build.sh "$build_dir" settings_bench
"$build_dir/bench/settings_bench" "$@"
