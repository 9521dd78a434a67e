#!/usr/bin/env bash
# Regenerates the streams of tests/corpus/packets-*: small codestreams from Debian's encoders
# (libopenjp2-tools, grokj2k-tools, openjph-tools) in every progression order, with precincts,
# tiles, tile-parts, subsampled components, layers, code-block styles, ROI, POC, SOP, EPH and PLT,
# and the high-throughput block coder. The packet tests hold each packet map against the encoder's
# PLT and SOP markers. The images are synthetic, made here.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in opj_compress grk_compress ojph_compress; do
    command -v $tool >/dev/null || { echo "needs $tool (libopenjp2-tools, grokj2k-tools, openjph-tools)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=tests/corpus

python3 - "$work" <<'PY'
import sys, math
work = sys.argv[1]
w, h = 50, 41
with open(work + '/gray.pgm', 'wb') as f:
    f.write(b'P5\n45 37\n255\n')
    f.write(bytes((x * 3 + y * 2 + int(40 * math.sin(x / 7.0)) + (x * y % 13)) & 0xFF for y in range(37) for x in range(45)))
with open(work + '/color.ppm', 'wb') as f:
    f.write(b'P6\n%d %d\n255\n' % (w, h))
    f.write(bytes(v for y in range(h) for x in range(w) for v in (
        (x * 5 + (y * x) % 7) & 0xFF, (y * 3) & 0xFF, ((x + y) * 3 + int(30 * math.cos(y / 5.0))) & 0xFF)))
# Texture enough that code-blocks join in every layer; a 16-bit plane near full range.
with open(work + '/texture.ppm', 'wb') as f:
    f.write(b'P6\n64 56\n255\n')
    f.write(bytes(v & 0xFF for y in range(56) for x in range(64) for v in (
        int(128 + 60 * math.sin(x / 3.0) * math.cos(y / 5.0) + (x * y) % 23),
        int(100 + 80 * math.sin((x + y) / 9.0)) + (x * 7) % 11, (x * x + y * 3) % 256)))
with open(work + '/gray16.pgm', 'wb') as f:
    f.write(b'P5\n40 32\n65535\n')
    f.write(b''.join(((int(32768 + 32000 * math.sin(x / 4.0 + y / 7.0)) + (x * y * 97) % 503) & 0xFFFF).to_bytes(2, 'big')
                     for y in range(32) for x in range(40)))
# Three planes, the second and third subsampled by 2 both ways (4:2:0).
with open(work + '/yuv.raw', 'wb') as f:
    f.write(bytes((x * 7 + y * 3) & 0xFF for y in range(h) for x in range(w)))
    for k in (11, 13):
        f.write(bytes((x * k + y * 5) & 0xFF for y in range((h + 1) // 2) for x in range((w + 1) // 2)))
PY

opj() { opj_compress "$@" -SOP -EPH -PLT >/dev/null 2>&1; }
yuv=(-i "$work/yuv.raw" -F 50,41,3,8,u@1x1:2x2:2x2 -mct 0)
opj -i "$work/color.ppm" -o $out/packets-opj-lrcp-layers.j2k -p LRCP -n 4 -r 40,20,10,5,2
opj -i "$work/color.ppm" -o $out/packets-opj-rlcp-precincts.j2k -p RLCP -n 4 -c [16,16],[8,8],[8,8] -r 20,5
opj "${yuv[@]}" -o $out/packets-opj-rpcl-subsampled.j2k -p RPCL -n 3 -c [8,8],[4,4] -d 3,1 -r 10,3
opj -i "$work/color.ppm" -o $out/packets-opj-pcrl-tiles.j2k -p PCRL -n 3 -t 16,16 -d 5,3 -c [8,8] -r 8,2
opj "${yuv[@]}" -o $out/packets-opj-cprl-tiles-subsampled.j2k -p CPRL -n 3 -c [8,8],[4,4] -t 14,18 -d 3,1 -r 10,3
opj -i "$work/color.ppm" -o $out/packets-opj-poc.j2k -n 3 -t 25,25 -r 10,5,2 \
    -POC T0=0,0,1,3,3,CPRL/T0=0,0,3,3,3,LRCP/T1=0,0,3,3,3,RPCL
opj -i "$work/color.ppm" -o $out/packets-opj-bypass-termall.j2k -M 5 -n 4 -r 20,10,5,1
opj -i "$work/gray.pgm" -o $out/packets-opj-bypass-lossless.j2k -M 1 -n 3 -b 8,8
opj -i "$work/color.ppm" -o $out/packets-opj-tile-parts.j2k -t 24,24 -TP R -n 3 -r 10,4,1
opj -i "$work/color.ppm" -o $out/packets-opj-roi.j2k -n 3 -ROI c=0,U=5 -r 10,3
opj -i "$work/gray.pgm" -o $out/packets-opj-ten-layers.j2k -n 4 -b 16,16 -r 200,100,60,40,20,10,6,4,2,1
# Most code-blocks join in a later layer (no SOP or EPH, whose bytes would leave the first layers
# empty); contributions of 46 passes; precincts smaller than code-blocks with odd image and tile
# origins; every code-block style flag of SPcod at once.
opj_compress -i "$work/texture.ppm" -o $out/packets-opj-late-inclusion.j2k -p LRCP -n 4 -b 16,16 \
    -c [32,32],[16,16] -r 30,12,5,2 -PLT >/dev/null 2>&1
opj -i "$work/gray16.pgm" -o $out/packets-opj-deep-passes.j2k -n 2 -b 32,32 -r 20,1
opj "${yuv[@]}" -o $out/packets-opj-small-precincts.j2k -p RPCL -n 4 -b 32,32 -c [16,16],[8,8] -d 7,3 -T 2,1 \
    -t 37,29 -r 12,3
opj -i "$work/texture.ppm" -o $out/packets-opj-all-styles.j2k -M 63 -n 3 -b 16,16 -r 40,12,4 -p PCRL
# Tile-parts split by component in PCRL, with subsampled components and tile and image offsets: the
# encoder writes 64 of the progression's 80 packets (12107; all 80 without -TP; made lossless, such
# a stream does not decode as the same without -TP does), and a PLT with no lengths in each
# tile-part it leaves empty (11001).
opj "${yuv[@]}" -o $out/packets-opj-tile-parts-pcrl-subsampled.j2k -p PCRL -n 1 -c [8,16] -t 30,20 -d 3,5 -T 0,1 \
    -TP C -r 10
# No guard bits: the 16-bit samples need more magnitude bit-planes than QCD allows, and the encoder
# codes them all (12108); a decoder that keeps to the bit-planes loses the last passes.
opj -i "$work/gray16.pgm" -o $out/packets-opj-guard-bits-0.j2k -n 2 -GuardBits 0

# Tile-parts by resolution: the SOP numbers restart with each tile-part, and the first tile-part's
# PLT lists the packets of the whole tile.
grk_compress -i "$work/color.ppm" -o $out/packets-grk-tile-parts.j2k -S -E -L -n 4 -q 30,40 -t 24,24 -u R \
    -H 1 >/dev/null
# A progression order change: the main header's POC gives the order of the data, the tile-part's
# (which takes precedence) says LRCP for every entry, and so does the order of the PLT lengths.
grk_compress -i "$work/color.ppm" -o $out/packets-grk-poc.j2k -S -L -n 3 -q 30,40,50 \
    -P "T0=0,0,1,3,3,RPCL/T0=0,0,3,3,3,PCRL" -H 1 >/dev/null
# The same without the tile-part's POC and PLT: the main header's POC in force.
python3 - $out/packets-grk-poc.j2k $out/packets-grk-main-poc.j2k <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
sot = data.index(b'\xff\x90')
p = sot + 12
while data[p:p + 2] != b'\xff\x93':
    length = struct.unpack('>H', data[p + 2:p + 4])[0]
    if data[p + 1] in (0x5F, 0x58):
        del data[p:p + 2 + length]
        data[sot + 6:sot + 10] = struct.pack('>I', struct.unpack('>I', data[sot + 6:sot + 10])[0] - 2 - length)
    else:
        p += 2 + length
open(sys.argv[2], 'wb').write(data)
PY
grk_compress -i "$work/color.ppm" -o $out/packets-grk-ht.j2k -M 64 -S -E -L -n 3 -t 24,24 -c [16,16] \
    -p RPCL -H 1 >/dev/null
ojph_compress -i "$work/color.ppm" -o $out/packets-ojph-ht.j2c -num_decomps 2 -tile_size '{24,20}' \
    -tile_offset '{3,2}' -image_offset '{5,4}' -prog_order CPRL -block_size '{16,16}' -precincts '{16,16},{8,8}' \
    >/dev/null
ls -l $out/packets-*
