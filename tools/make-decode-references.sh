#!/usr/bin/env bash
# Remakes the streams the preview's decoder is tested on (tests/decode/streams/: profile, HT and
# subsampled streams from the Debian encoders) and the reference pictures of them and of samples/
# (tests/decode/references/), decoded once by OpenJPEG's own tool. A reference is named for its stream
# and reduction: color-tiled.j2k.r1.pnm is color-tiled.j2k decoded with -r 1. The tool refuses
# -upsample together with -r, so only full-resolution references of subsampled streams use it.
# Needs libopenjp2-tools, grokj2k-tools and openjph-tools; none of them is needed by the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in opj_compress opj_decompress grk_compress ojph_compress; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
streams=tests/decode/streams
references=tests/decode/references
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$streams" "$references"
mkdir -p "$streams" "$references"

python3 - "$work" <<'PY'
import sys, math, struct
work = sys.argv[1]
w, h = 64, 48
def ppm(path, maxval):
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n%d\n' % (w, h, maxval))
        for y in range(h):
            for x in range(w):
                for v in ((x * 4) & 0xFF, (y * 5) & 0xFF, ((x + y) * 3 + int(30 * math.cos(y / 5.0))) & 0xFF):
                    f.write(struct.pack('>H', v * 16 + x % 16) if maxval > 255 else bytes([v]))
ppm(work + '/rgb8.ppm', 255)
ppm(work + '/rgb12.ppm', 4095)
# Raw planes, big-endian, each component at its own sampled size.
def plane(cw, ch, f):
    return bytes(f(x, y) & 0xFF for y in range(ch) for x in range(cw))
luma = plane(w, h, lambda x, y: x * 3 + y * 2 + int(40 * math.sin(x / 5)))
cb = lambda cw, ch: plane(cw, ch, lambda x, y: 128 + int(60 * math.sin(x / 4 + y / 7)))
cr = lambda cw, ch: plane(cw, ch, lambda x, y: 128 + int(60 * math.cos(x / 6 - y / 3)))
open(work + '/ycc420.raw', 'wb').write(luma + cb(w // 2, h // 2) + cr(w // 2, h // 2))
open(work + '/ycc422.raw', 'wb').write(luma + cb(w // 2, h) + cr(w // 2, h))
# Large and flat, for the budget of decoded samples: 2100 × 2100 is more than 4 megapixels.
with open(work + '/large.pgm', 'wb') as f:
    f.write(b'P5\n2100 2100\n255\n')
    for y in range(2100):
        f.write(bytes(((x // 8) * 5 + (y // 8) * 3) & 0xFF for x in range(2100)))
open(work + '/mixed-sampling.raw', 'wb').write(luma + cb(w, h // 2) + cr(w // 2, h))
open(work + '/grey12s.raw', 'wb').write(b''.join(struct.pack('>h', (x * 37 + y * 51) % 4096 - 2048)
                                                 for y in range(h) for x in range(w)))
PY

# Profiles: digital cinema 2K (12 bits) and IMF 2K.
opj_compress -i "$work/rgb12.ppm" -o "$streams/cinema2k.j2k" -cinema2K 24 >/dev/null 2>&1
opj_compress -i "$work/rgb12.ppm" -o "$streams/imf2k.j2k" -IMF 2K >/dev/null 2>&1
# HT code-blocks only, from two encoders.
grk_compress -i "$work/rgb8.ppm" -o "$streams/ht-grok.j2k" -M 64 >/dev/null
ojph_compress -i "$work/rgb8.ppm" -o "$streams/ht-openjph.j2c" >/dev/null 2>&1
# Subsampled chroma, taken for YCC: 4:2:0 with an odd image origin, and 4:2:2; in a JP2 file that
# says sYCC. Chroma sampled 1×2 and 2×1 is not YCC, only repeated over the grid.
opj_compress -i "$work/ycc420.raw" -o "$streams/ycc420-odd-origin.j2k" -F 64,48,3,8,u@1x1:2x2:2x2 -d 1,1 >/dev/null
opj_compress -i "$work/ycc422.raw" -o "$streams/ycc422.j2k" -F 64,48,3,8,u@1x1:2x1:2x1 >/dev/null
opj_compress -i "$work/ycc420.raw" -o "$streams/ycc420.jp2" -F 64,48,3,8,u@1x1:2x2:2x2 >/dev/null
opj_compress -i "$work/mixed-sampling.raw" -o "$streams/mixed-sampling.j2k" -F 64,48,3,8,u@1x1:1x2:2x1 >/dev/null
# YCC without subsampling, known only from the colour box: an RGB file without the component
# transform whose colour box is made to say sYCC.
opj_compress -i "$work/rgb8.ppm" -o "$work/rgb.jp2" -mct 0 >/dev/null
python3 - "$work/rgb.jp2" "$streams/ycc444.jp2" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
colr = data.index(b'colr')
assert data[colr + 4] == 1 and data[colr + 7:colr + 11] == b'\0\0\0\x10'
data[colr + 10] = 18
open(sys.argv[2], 'wb').write(data)
PY
# Signed 12-bit grey.
opj_compress -i "$work/grey12s.raw" -o "$streams/grey12-signed.j2k" -F 64,48,1,12,s@1x1 >/dev/null

# Twelve tiles of one tile-part each, to cut and break.
opj_compress -i "$work/rgb8.ppm" -o "$streams/tiled.j2k" -t 16,16 -n 3 >/dev/null
# One resolution level, so the decoder cannot reduce a picture above 4 megapixels: in tiles, and whole.
opj_compress -i "$work/large.pgm" -o "$streams/one-level-tiled.j2k" -n 1 -t 512,512 -r 400 >/dev/null
opj_compress -i "$work/large.pgm" -o "$streams/one-level.j2k" -n 1 -r 400 >/dev/null

reference() {  # stream reduction [extra options]
    local stream=$1 reduction=$2
    shift 2
    opj_decompress -i "$stream" -o "$references/$(basename "$stream").r$reduction.pnm" -r "$reduction" "$@" >/dev/null
}
reference samples/color-irreversible.j2k 2
reference samples/color-irreversible.jp2 2
reference samples/gray-lossless.j2k 1
reference samples/gray-lossless.jp2 1
reference samples/color-tiled.j2k 1
reference samples/color-tiled.j2k 2
for stream in "$streams"/cinema2k.j2k "$streams"/imf2k.j2k "$streams"/ht-grok.j2k "$streams"/ht-openjph.j2c \
              "$streams"/grey12-signed.j2k; do
    reference "$stream" 1
done
for stream in "$streams"/ycc420-odd-origin.j2k "$streams"/ycc422.j2k "$streams"/ycc420.jp2 "$streams"/ycc444.jp2; do
    reference "$stream" 0
    reference "$stream" 1
done
reference "$streams/mixed-sampling.j2k" 0 -upsample
du -sh "$streams" "$references"
