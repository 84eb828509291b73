#!/usr/bin/env bash
# Builds a fuzz target with clang, AddressSanitizer and UBSan in build-fuzz/ and runs it for the
# given number of seconds (600 by default), on one core, from its seed corpus.
#   scripts/fuzz.sh profile [seconds]        the settings-file reader and writer
#   scripts/fuzz.sh work_state [seconds]     the work-state reader
#   scripts/fuzz.sh heif [seconds]           the HEIF/HEIC/AVIF reader (libheif), given up at random reads
#   scripts/fuzz.sh jxl [seconds]            the JPEG XL reader (libjxl), given up at random reads
#   scripts/fuzz.sh jxl_exif [seconds]       the EXIF box reader of JPEG XL files
#   scripts/fuzz.sh jpeg_estimate [seconds]  the JPEG segment walk that estimates a decode
# The picture readers' seeds are made here by the encoders the set-up installs; the first byte of
# each input says after how many reads the decode is given up (0: never).
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:-profile}
seconds=${2:-600}
PELLDRAKE_EXTRA_PACKAGES="clang libclang-rt-dev" PELLDRAKE_SETUP_ONLY=1 scripts/setup.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DPELLDRAKE_BUILD_FUZZ=ON -DPELLDRAKE_BUILD_TESTS=OFF -DPELLDRAKE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${name}_fuzzer"

seeds=fuzz/corpus/$name
case $name in
heif | jxl | jxl_exif | jpeg_estimate)
    seeds=build-fuzz/seeds/$name
    if [ ! -d "$seeds" ]; then
        made=$(mktemp -d)
        trap 'rm -rf "$made"' EXIT
        convert -size 96x64 gradient:red-blue -attenuate 0.3 +noise Gaussian "$made/small.png"
        convert "$made/small.png" -quality 90 "$made/small.jpg"
        case $name in
        heif)
            heif-enc -q 60 -t 32 "$made/small.png" -o "$made/small.heic" >/dev/null
            heif-enc -q 60 --colour_primaries 12 --transfer_characteristic 13 "$made/small.png" \
                -o "$made/p3.heic" >/dev/null
            avifenc -s 10 "$made/small.png" "$made/small.avif" >/dev/null
            # A phone's picture, cut to its boxes and first tiles.
            head -c 150000 tests/data/phone/IMG_5195.HEIC >"$made/phone.heic"
            ;;
        jxl | jxl_exif)
            cjxl "$made/small.png" "$made/small.jxl" >/dev/null 2>&1
            # From a JPEG with EXIF: the container keeps it in a box of its own.
            convert "$made/small.jpg" -set exif:Orientation 6 "$made/exif.jpg"
            cjxl "$made/exif.jpg" "$made/exif.jxl" >/dev/null 2>&1
            cjxl --compress_boxes=1 "$made/exif.jpg" "$made/brotli.jxl" >/dev/null 2>&1 || true
            ;;
        jpeg_estimate)
            convert "$made/small.png" -interlace JPEG "$made/progressive.jpg"
            ;;
        esac
        mkdir -p "$seeds"
        for file in "$made"/*; do
            case $file in *.png) continue ;; esac
            [ "$name" = jpeg_estimate ] || case $file in *.jpg) continue ;; esac
            for first in 00 01 04 10; do
                { printf "\x$first"; cat "$file"; } >"$seeds/$first-$(basename "$file")"
            done
        done
    fi
    ;;
esac

# New inputs go to the working corpus; the seeds stay as they are.
mkdir -p "build-fuzz/corpus/$name"
build-fuzz/fuzz/"${name}_fuzzer" -max_total_time="$seconds" -max_len=150001 -rss_limit_mb=4096 \
    -print_final_stats=1 "build-fuzz/corpus/$name" "$seeds"
