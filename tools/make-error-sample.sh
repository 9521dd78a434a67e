#!/usr/bin/env bash
# Makes samples/color-errors.j2k from samples/color-tiled.j2k: the same stream with faults a
# checker must report and that leave it readable: the progression order of COD out of range (10204),
# XRsiz of the second component 0 (10008), and bytes after EOC (1003).
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - samples/color-tiled.j2k samples/color-errors.j2k <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
assert data[0:2] == b'\xff\x4f', 'not a codestream'
# Walk the main header's segments: marker, then a length that counts itself.
segments, p = {}, 2
while data[p + 1] != 0x90:
    segments.setdefault(data[p + 1], p)
    p += 2 + struct.unpack('>H', data[p + 2:p + 4])[0]
siz, cod = segments[0x51], segments[0x52]
data[cod + 5] = 9          # SGcod progression order: 0 to 4 are defined
data[siz + 40 + 3 + 1] = 0  # XRsiz of component 1: 1 to 255
data += b'\x00\x00\x00\x00'
open(sys.argv[2], 'wb').write(data)
PY
