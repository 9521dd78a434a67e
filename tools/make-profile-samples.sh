#!/usr/bin/env bash
# Regenerates the profile and HTJ2K samples in samples/, and an HTJ2K file branded jp2 in
# tests/corpus/, with the encoders of Debian's packages (libopenjp2-tools, grokj2k-tools,
# openjph-tools), from a synthetic gradient of 64 × 64, so that they stay small. What the checker says
# of each is pinned by tests/engine/encoderSamplesTest.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in opj_compress grk_compress ojph_compress; do
    command -v "$tool" >/dev/null || { echo "needs $tool (libopenjp2-tools, grokj2k-tools, openjph-tools)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
def ppm(path, maxval, value):
    with open(path, 'wb') as f:
        f.write(b'P6\n64 64\n%d\n' % maxval)
        for y in range(64):
            for x in range(64):
                for c in range(3):
                    v = value(x, y, c) % (maxval + 1)
                    f.write(struct.pack('>H', v) if maxval > 255 else bytes([v]))
ppm(work + '/rgb12.ppm', 4095, lambda x, y, c: x * 16 + y * 8 + c * 256)
ppm(work + '/rgb8.ppm', 255, lambda x, y, c: x * 3 + y * 2 + c * 40)
PY

quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; }
# Digital cinema at 24 frames a second, 2K and 4K; IMF 2K and 4K reversible.
quiet opj_compress -i "$work/rgb12.ppm" -o samples/cinema-2k.j2k -cinema2K 24
quiet opj_compress -i "$work/rgb12.ppm" -o samples/cinema-4k.j2k -cinema4K
quiet opj_compress -i "$work/rgb12.ppm" -o samples/imf-2k.j2k -IMF 2K
quiet opj_compress -i "$work/rgb12.ppm" -o samples/imf-4k-reversible.j2k -IMF 4K_R
# HTJ2K: reversible, raw and in a JP2 file (branded jp2 rather than jph); irreversible; irreversible
# with the encoder's IMF settings.
quiet grk_compress -i "$work/rgb8.ppm" -o samples/ht-reversible.j2k -M 64
quiet grk_compress -i "$work/rgb8.ppm" -o tests/corpus/ht-branded-jp2.jp2 -M 64
quiet ojph_compress -i "$work/rgb8.ppm" -o samples/ht-irreversible.j2c
quiet ojph_compress -i "$work/rgb8.ppm" -o samples/ht-imf-settings.j2c -profile IMF -block_size '{32,32}' \
    -precincts '{128,128},{256,256}' -prog_order CPRL
ls -l samples/cinema-* samples/imf-* samples/ht-* tests/corpus/ht-branded-jp2.jp2
