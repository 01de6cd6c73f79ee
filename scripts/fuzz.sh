#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default 60),
# starting from the seed corpus in fuzz/corpus. Fails on any crash, leak or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONARIC_FUZZ=ON \
    >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" --target ReplyFuzzer SettingsFuzzer PlaylistFuzzer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in ReplyFuzzer SettingsFuzzer PlaylistFuzzer; do
    corpus=fuzz/corpus/replies
    [[ $target == SettingsFuzzer ]] && corpus=fuzz/corpus/settings
    [[ $target == PlaylistFuzzer ]] && corpus=fuzz/corpus/playlists
    mkdir -p "$work/$target"
    echo "== $target for ${seconds}s"
    build-fuzz/fuzz/$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -max_len=65536 -print_final_stats=1 "$work/$target" "$corpus" 2>&1 | tail -n 12
    [[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "$target failed" >&2; exit 1; }
done
