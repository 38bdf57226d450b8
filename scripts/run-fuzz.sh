#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
CC=clang CXX=clang++ "$root/scripts/build.sh" "$root/build-fuzz" -DCMAKE_BUILD_TYPE=Debug \
    -DKESTRUM_FUZZ=ON -DKESTRUM_TESTS=OFF -DKESTRUM_BENCH=OFF -DKESTRUM_DESKTOP=OFF
for target in "$root"/build-fuzz/fuzz/*_fuzz; do
    corpus="$root/build-fuzz/corpus/$(basename "$target")"
    mkdir -p "$corpus"
    # The drawing fuzzers start from the sample drawings and the test drawings; the render
    # fuzzer's first four bytes are its record settings.
    for drawing in "$root"/samples/*.dxf "$root"/tests/data/drawings/*.dxf; do
        case $(basename "$target") in
            drawing_fuzz) cp "$drawing" "$corpus/" ;;
            render_fuzz) { printf '\x05\x00\x11\x0b'; cat "$drawing"; } >"$corpus/$(basename "$drawing")" ;;
        esac
    done
    # The plot fuzzer starts from the sample plot files.
    if [ "$(basename "$target")" = hpgl_preview_fuzz ]; then
        cp "$root"/samples/*.plt "$root"/samples/*.hpgl "$corpus/"
        printf 'IN;SP1;PU0,0;PM0;PD100,0,100,100,0,100;PM1;PU20,20;PD80,20,80,80,20,80;PM2;FP1;EP;RA50,50;RR-9,9;' \
            >"$corpus/polygons.plt"
    fi
    echo "== $(basename "$target") for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=200000 "$corpus"
done
