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
# intercept_tls_get_addr=0: clang 14's leak check can die on a thread's
# dynamic TLS ("Tracer caught signal 11") when it looks at the threads of the
# media engine or ImageMagick; it needs no TLS interception to find leaks.
export ASAN_OPTIONS="suppressions=$supp/asan.supp:detect_leaks=1:check_initialization_order=1:new_delete_type_mismatch=0:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
# Windows, players and painting on an X server, as ./test runs them.
source "$here/scripts/xvfb.sh"
# Libraries stay loaded to the end of a test, so that a leak report names
# the library that made the memory even when it was unloaded before the
# check (else "<unknown module>", which no suppression can name).
keep="$build/keep-libraries.so"
printf 'int dlclose(void* handle) { (void)handle; return 0; }\n' | cc -shared -fPIC -x c -o "$keep" -
export LD_PRELOAD="$keep${LD_PRELOAD:+:$LD_PRELOAD}"
cd "$build"
# Sanitized code runs a few times slower: a longer limit per test.
ctest --output-on-failure -j"$jobs" --timeout 900 "$@"
