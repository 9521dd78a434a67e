#!/usr/bin/env bash
# Regenerates the sample codestreams in samples/ with an encoder from Debian's packages
# (libopenjp2-tools). The images are synthetic gradients made here, so the samples are small.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v opj_compress >/dev/null || { echo "needs opj_compress (apt-get install libopenjp2-tools)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import sys, math
work = sys.argv[1]
def pgm(path, w, h):
    with open(path, 'wb') as f:
        f.write(b'P5\n%d %d\n255\n' % (w, h))
        f.write(bytes((x * 3 + y * 2 + int(40 * math.sin(x / 7.0))) & 0xFF for y in range(h) for x in range(w)))
def ppm(path, w, h):
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (w, h))
        px = bytearray()
        for y in range(h):
            for x in range(w):
                px += bytes(((x * 2) & 0xFF, (y * 2) & 0xFF, ((x + y) * 3 + int(30 * math.cos(y / 5.0))) & 0xFF))
        f.write(px)
pgm(work + '/gray.pgm', 64, 64)
ppm(work + '/color.ppm', 160, 120)
PY

# One tile, reversible, grey.
opj_compress -i "$work/gray.pgm" -o samples/gray-lossless.j2k -n 4 -C "tarvik3 sample" >/dev/null
# Twelve tiles of 48×48 in three tile-parts each (one per resolution group), SOP/EPH, PLT and TLM.
opj_compress -i "$work/color.ppm" -o samples/color-tiled.j2k -t 48,48 -n 3 -TP R -SOP -EPH -PLT -TLM \
    -r 20,10,1 -p RPCL >/dev/null
# Irreversible 9-7 transform with a progression order change.
opj_compress -i "$work/color.ppm" -o samples/color-irreversible.j2k -I -r 30 -POC T0=0,0,1,3,2,CPRL >/dev/null
ls -l samples/*.j2k
