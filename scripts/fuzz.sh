#!/usr/bin/env bash
# Runs the readers' fuzz targets (tests/fuzz) for as long as asked, all at
# once, each from fresh seeds and the corpus that earlier runs kept in
# build/fuzz-runs. A target that crashes, hangs, runs out of memory or trips
# a sanitizer leaves the input in build/fuzz-runs/artifacts/<target>/ (inputs
# that took over ten seconds are kept there as slow-unit-*). An input of the
# picture targets is a hang past 20 seconds (four reads, each bounded by the
# sizes the input declares), of the others past 60. Replay one with
# the memory limit of the runs:
#   build/fuzz/bin/fuzz_<target> -rss_limit_mb=4096 <file>
# Usage: scripts/fuzz.sh [seconds per target, default 600] [target ...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-600}"
shift $(( $# > 0 ? 1 : 0 ))
bash "$here/scripts/deps.sh"
build="$here/build/fuzz"
work="$here/build/fuzz-runs"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -DLUMIVEX_FUZZ_BUILD=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
# Memory other people's libraries keep to the end of the process (fonts and
# the like): the same names the sanitizer build leaves out.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/scripts/sanitize/lsan.supp:print_suppressions=0}"
"$build/bin/make_fuzz_seeds" "$work"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$build"/bin/fuzz_*; do targets+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi
declare -A pids
for t in "${targets[@]}"; do
  mkdir -p "$work/artifacts/$t"
  case "$t" in pictures|stillpicture) timeout=20 ;; *) timeout=60 ;; esac
  "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$t/" "$work/corpus/$t" "$work/seeds/$t" >"$work/$t.log" 2>&1 &
  pids[$t]=$!
done
failed=0
printf '%-10s %-8s %10s %8s %8s %8s %6s\n' target result runs cov corpus findings slow
for t in "${targets[@]}"; do
  if wait "${pids[$t]}"; then result=ok; else result=FAILED; failed=1; fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log")
  cov=$(grep -o 'cov: [0-9]*' "$work/$t.log" | tail -1 | cut -d' ' -f2)
  corpus=$(find "$work/corpus/$t" -type f | wc -l)
  findings=$(find "$work/artifacts/$t" -type f ! -name 'slow-unit-*' | wc -l)
  slow=$(find "$work/artifacts/$t" -type f -name 'slow-unit-*' | wc -l)
  printf '%-10s %-8s %10s %8s %8s %8s %6s\n' "$t" "$result" "${runs:-?}" "${cov:-?}" "$corpus" "$findings" "$slow"
done
[ "$failed" -eq 0 ] || echo "A target failed: see $work/<target>.log and $work/artifacts/<target>/;" \
  "replay a finding with $build/bin/fuzz_<target> -rss_limit_mb=4096 <file>."
exit "$failed"
