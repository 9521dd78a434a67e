#!/usr/bin/env bash
# Regenerates the sample codestreams and JP2 files in samples/, and the faulty JP2 files in
# tests/corpus/, with an encoder from Debian's packages (libopenjp2-tools). The images are synthetic
# gradients made here, so the samples are small.
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
# JP2 files: grey and reversible; colour and irreversible.
opj_compress -i "$work/gray.pgm" -o samples/gray-lossless.jp2 -n 4 -C "tarvik3 sample" >/dev/null
opj_compress -i "$work/color.ppm" -o samples/color-irreversible.jp2 -I -r 30 >/dev/null
# Faulty JP2 files: an image header whose HEIGHT disagrees with the codestream, and a file cut in the
# middle of its codestream box.
python3 - samples/gray-lossless.jp2 tests/corpus <<'PY'
import struct, sys
source, corpus = sys.argv[1], sys.argv[2]
data = bytearray(open(source, 'rb').read())
def find(kind, start, end):
    p = start
    while p < end:
        length, box = struct.unpack('>I4s', data[p:p + 8])
        if box == kind:
            return p
        p += length
    raise SystemExit('no %s box' % kind)
jp2h = find(b'jp2h', 0, len(data))
ihdr = find(b'ihdr', jp2h + 8, jp2h + struct.unpack('>I', data[jp2h:jp2h + 4])[0])
height = struct.unpack('>I', data[ihdr + 8:ihdr + 12])[0]
wrong = bytearray(data)
wrong[ihdr + 8:ihdr + 12] = struct.pack('>I', height + 1)
open(corpus + '/jp2-ihdr-height-off-by-one.jp2', 'wb').write(wrong)
jp2c = find(b'jp2c', 0, len(data))
open(corpus + '/jp2-cut-inside-codestream-box.jp2', 'wb').write(data[:jp2c + (len(data) - jp2c) // 2])
PY
ls -l samples/*.j2k samples/*.jp2 tests/corpus/jp2-*
