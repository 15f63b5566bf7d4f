#!/usr/bin/env bash
# Fuzzes the TGA decoder for a bounded time, starting from the committed seed corpus. Fails on any
# crash, sanitizer report, leak, slow input or single allocation of 64 MB or more.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build-fuzz"
seconds=60
mkdir -p "$out/corpus"

# The loader's file also holds the texture upload, hence GL and GLU at link time; the fuzzer never
# calls them.
clang++-14 -std=c++17 -g -O1 -Wall -Wextra -Werror -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root" \
    "$root/tests/fuzz/FuzzTga.cpp" "$root/render/Tga.cpp" "$root/platform/linux/DataFile.cpp" "$root/platform/Paths.cpp" \
    -lGLU -lGL -o "$out/fuzz_tga"

# New inputs go to the build directory's corpus; the committed seeds are only read.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$out/fuzz_tga" -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=64 -max_len=8192 \
    -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus" "$root/tests/fuzz/corpus/tga"
echo "fuzz-tga: no failure in $seconds s"
