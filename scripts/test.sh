#!/usr/bin/env bash
# Sets up, checks that includes point down the layers, builds and runs every
# test: the release build with its unit tests, then the unit tests and fuzz
# targets under AddressSanitizer and UndefinedBehaviorSanitizer (built with
# clang, which brings libFuzzer).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/check-includes.sh"

cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DYNX_WERROR=ON -DYNX_BENCHMARKS=ON >/dev/null
cmake --build "$root/build/release"
ctest --test-dir "$root/build/release" --output-on-failure -j 2

# The sanitizer build takes the show's archives from the release build
# rather than generating them again with slow instrumented code.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DYNX_WERROR=ON -DYNX_SANITIZE=ON -DYNX_FUZZ=ON \
  -DYNX_CONTENT_ARCHIVES="$root/build/release/content" >/dev/null
cmake --build "$root/build/sanitize"
ctest --test-dir "$root/build/sanitize" --output-on-failure -j 2
