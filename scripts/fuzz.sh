#!/usr/bin/env bash
# Fuzzes the Wine registry reader with libFuzzer, compiled with clang apart
# from the gcc build (AddressSanitizer, UndefinedBehaviorSanitizer, bounded
# memory). The seed corpus is the shared registry fixtures; new inputs go
# into the build folder's own corpus.
#
#   scripts/fuzz.sh            fuzz for FUZZ_SECONDS (default 60)
#   scripts/fuzz.sh --quick    the seeds, then 10 seconds (the test suite's run)
#
# FUZZ_BUILD (default build-fuzz) holds the fuzzer and its corpus;
# BT_FIXTURES_DIR (default ../shared/fixtures) the seeds. Exits 77 when clang
# or libFuzzer is not installed, so that the test suite can skip it.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-60}"
[ "${1:-}" = "--quick" ] && seconds="${FUZZ_QUICK_SECONDS:-10}"
build="${FUZZ_BUILD:-$here/build-fuzz}"
fixtures="${BT_FIXTURES_DIR:-$here/../shared/fixtures}"

clang="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$clang" ]; then
  echo "clang++ is not installed: registry fuzzing skipped" >&2
  exit 77
fi
mkdir -p "$build/corpus"
fuzzer="$build/registry_fuzzer"
sources=(
  "$here/fuzz/registry_fuzzer.cpp"
  "$here/platform/linux/wine/wine_registry.cpp"
  "$here/platform/linux/wine/wine_registry_scan.cpp"
  "$here/platform/linux/wine/wine_registry_text.cpp"
  "$here/platform/linux/wine/wine_registry_value.cpp"
  "$here/platform/registry_query.cpp"
  "$here/platform/text.cpp"
  "$here/platform/utf8.cpp"
)
newest=0
for s in "${sources[@]}" "$here"/platform/linux/wine/wine_registry*.h "$here"/platform/{registry,registry_query,text,utf8}.h; do
  t=$(stat -c %Y "$s"); [ "$t" -gt "$newest" ] && newest=$t
done
if [ ! -x "$fuzzer" ] || [ "$(stat -c %Y "$fuzzer")" -lt "$newest" ]; then
  if ! "$clang" -std=c++20 -g -O1 -I"$here" -Wall -Wextra -Werror \
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      "${sources[@]}" -o "$fuzzer.new" 2>"$build/compile.log"; then
    if grep -q -e 'libclang_rt.fuzzer' -e 'cannot find -l' "$build/compile.log"; then
      echo "libFuzzer is not installed: registry fuzzing skipped" >&2
      exit 77
    fi
    cat "$build/compile.log" >&2
    exit 1
  fi
  mv "$fuzzer.new" "$fuzzer"
fi

seeds=()
[ -d "$fixtures/wine-registry" ] && seeds+=("$fixtures/wine-registry")
log="$build/fuzz.log"
# -rss_limit_mb bounds the memory a single input may make the reader take.
cd "$build"
set +e
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=20 -max_len=262144 \
  -print_final_stats=1 "$build/corpus" "${seeds[@]}" >"$log" 2>&1
status=$?
set -e
runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || true)
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log" >&2
  echo "registry fuzzing found a failure (log: $log)" >&2
  exit 1
fi
echo "[ reliability ] registry fuzzing: ${runs:-?} executions in ${seconds} s, corpus $(ls "$build/corpus" | wc -l) inputs; no crash, no sanitizer report"
