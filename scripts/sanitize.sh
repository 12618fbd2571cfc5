#!/usr/bin/env bash
# Builds the program and every test with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (float-cast-overflow included) in
# build/sanitize, and runs every test there. Any report fails its test;
# reports from other people's code that are not ours are suppressed, each by
# name, in scripts/sanitize/{asan,lsan,ubsan}.supp.
# Usage: [JOBS=n] scripts/sanitize.sh [ctest arguments, e.g. -R Viewer]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"
build="$here/build/sanitize"
jobs="${JOBS:-$(nproc)}"
checks="address,undefined,float-cast-overflow"
flags="-fsanitize=$checks -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$checks" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=$checks" >/dev/null
cmake --build "$build" -j"$jobs"

supp="$here/scripts/sanitize"
# new_delete_type_mismatch: see asan.supp.
export ASAN_OPTIONS="suppressions=$supp/asan.supp:detect_leaks=1:check_initialization_order=1:new_delete_type_mismatch=0"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"
cd "$build"
# Sanitized code runs a few times slower: a longer limit per test.
ctest --output-on-failure -j"$jobs" --timeout 900 "$@"
