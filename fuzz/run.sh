#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for a fixed
# number of executions over a scratch copy of its seed corpus.
#   fuzz/run.sh            the full pass (a few minutes per target)
#   fuzz/run.sh --short    the CI pass (under two minutes for all targets)
#   fuzz/run.sh [--short] TARGET...   only these targets
# Prints the executions each target ran; exits non-zero when a target fails.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=full
if [[ "${1:-}" == "--short" ]]; then
  mode=short
  shift
fi
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(line_reader wildcard step_line combo_load ini_read run_step fast_paths)

# Executions per target (full, short); the slow ones open a 1 MiB buffer per input.
declare -A full=([line_reader]=20000 [wildcard]=2000000 [step_line]=1000000
                 [combo_load]=10000 [ini_read]=50000 [run_step]=20000 [fast_paths]=1000000)
declare -A short=([line_reader]=600 [wildcard]=60000 [step_line]=60000
                  [combo_load]=500 [ini_read]=2000 [run_step]=1000 [fast_paths]=20000)
declare -A maxlen=([line_reader]=4096 [wildcard]=1024 [step_line]=512
                   [combo_load]=4096 [ini_read]=2048 [run_step]=2048 [fast_paths]=4096)
seconds=$([[ $mode == short ]] && echo 15 || echo 600)  # a cap per target, whatever the count

build_dir="${KADREL_FUZZ_BUILD_DIR:-build-fuzz}"
# clang, or clang-14 where only the versioned compiler is installed.
cc=clang cxx=clang++
command -v clang >/dev/null || { cc=clang-14 cxx=clang++-14; }
CC=$cc CXX=$cxx cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKADREL_FUZZ=ON -DKADREL_TESTS=OFF -DKADREL_GUI=OFF >/dev/null
cmake --build "$build_dir" -j"${KADREL_JOBS:-2}" \
  $(printf -- '--target fuzz_%s ' "${targets[@]}") >/dev/null

fuzzers="$(cd "$build_dir" && pwd)/fuzz"
corpora="$(pwd)/fuzz/corpus"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
summary=()
for t in "${targets[@]}"; do
  runs=$([[ $mode == short ]] && echo "${short[$t]}" || echo "${full[$t]}")
  mkdir -p "$scratch/$t"
  log="$scratch/$t.log"
  echo "== fuzz_$t: $runs runs" >&2
  if (cd "$scratch" && "$fuzzers/fuzz_$t" "$scratch/$t" "$corpora/$t" \
        -runs="$runs" -max_total_time="$seconds" -max_len="${maxlen[$t]}" -timeout=10 \
        -print_final_stats=1 >"$log" 2>&1); then
    done_runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || true)
    summary+=("fuzz_$t: ${done_runs:-?} executions, clean")
  else
    failed=1
    summary+=("fuzz_$t: FAILED (see below)")
    grep -Ev '^#[0-9]+|^INFO:|NEW_FUNC' "$log" | tail -40 >&2
    mkdir -p fuzz/findings
    cp "$scratch"/crash-* "$scratch"/timeout-* "$scratch"/leak-* "$scratch"/oom-* fuzz/findings/ 2>/dev/null || true
  fi
done
printf '%s\n' "${summary[@]}"
exit $failed
