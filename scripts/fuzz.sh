#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded
# time (default 300 seconds each): scripts/fuzz.sh [seconds]
# A finding stops the run and leaves its input under fuzz-build/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
scripts/install-deps.sh --fuzz

mkdir -p fuzz-build
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc)
common=(src/platform/FileSystem.cpp src/runtime/Error.cpp src/runtime/Conversions.cpp)

declare -A targets=(
    [profile_file]="fuzz/ProfileFileFuzz.cpp src/platform/ProfileFile.cpp"
    [m3u_playlist]="fuzz/M3uFuzz.cpp src/playlists/M3uPlayList.cpp src/playlists/PlayListEntry.cpp"
    [asx_playlist]="fuzz/AsxFuzz.cpp src/playlists/AsxPlayList.cpp src/playlists/PlayListEntry.cpp"
    [picture_headers]="fuzz/PictureHeadersFuzz.cpp src/show/HeifCanvas.cpp src/show/ExifOrientation.cpp"
)
# The picture headers are read through Qt's byte arrays and devices.
qt=$(pkg-config --cflags --libs Qt6Core Qt6Gui)
for name in "${!targets[@]}"; do
    echo "== building $name"
    # shellcheck disable=SC2086
    clang++ "${flags[@]}" -fPIC ${targets[$name]} "${common[@]}" $qt -o "fuzz-build/$name"
    mkdir -p "fuzz-build/corpus-$name"
    echo "== fuzzing $name for $seconds s"
    (cd fuzz-build && "./$name" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
        "corpus-$name" 2>&1 | tail -n 25)
done
