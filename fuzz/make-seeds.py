#!/usr/bin/env python3
# Writes the small seed files of fuzz/corpus/: hand-made PCX pictures
# (runs, a 0xC0 run, padded rows, a short file) and LightWave objects
# (points only, triangles, a quad, a tag at an odd offset). Run once; the
# files are kept in the repository.
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def pcx(w, h, data, bpl=0, xmin=0, ymin=0):
    head = bytearray(128)
    head[0:4] = bytes([10, 5, 1, 8])
    struct.pack_into('<hhhh', head, 4, xmin, ymin, xmin + w - 1, ymin + h - 1)
    head[65] = 1
    struct.pack_into('<H', head, 66, bpl or w)
    pal = bytes([12]) + bytes((i * 37 + c * 11) & 0xFF for i in range(256) for c in range(3))
    return bytes(head) + bytes(data) + pal


def lwo(*chunks):
    body = b'LWOB' + b''.join(chunks)
    return b'FORM' + struct.pack('>I', len(body)) + body


def pnts(points):
    data = b''.join(struct.pack('>fff', *p) for p in points)
    return b'PNTS' + struct.pack('>I', len(data)) + data


def pols(polys):
    data = b''.join(struct.pack('>HHHHH', n, a, b, c, 1) for n, a, b, c in polys)
    return b'POLS' + struct.pack('>I', len(data)) + data


seeds = {
    'pcx/one.pcx': pcx(1, 1, [0xC1, 7]),
    'pcx/runs.pcx': pcx(4, 3, [0xC6, 2, 5, 0xC2, 9, 1, 2, 3, 4, 0xFF, 8]),
    'pcx/run256.pcx': pcx(300, 1, [0xC0, 3] + [1] * 44),
    'pcx/padded.pcx': pcx(3, 2, [1, 2, 3, 0, 4, 5, 6, 0], bpl=4),
    'pcx/window.pcx': pcx(5, 2, [0xCA, 200], xmin=-3, ymin=7),
    'pcx/nodata.pcx': pcx(40, 2, []),
    'lwo/points.lwo': lwo(pnts([(1, 2, 3), (-1, 0.5, 0), (0, 0, 1)])),
    'lwo/triangles.lwo': lwo(pnts([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)]),
                             pols([(3, 0, 1, 2), (3, 0, 2, 3)])),
    'lwo/quad.lwo': lwo(pnts([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)]),
                        pols([(3, 0, 1, 2), (4, 0, 1, 2)])),
    'lwo/odd.lwo': b'\x01xyz' + pnts([(0, 0, 0), (0, 1, 0), (1, 0, 0)]) + b'q' +
                   pols([(3, 0, 1, 2), (3, 2, 1, 0)]),
}
for name, data in seeds.items():
    # The object seeds get the fuzz target's leading byte: 1 = read polygons.
    if name.startswith('lwo/'):
        data = b'\x01' + data
    with open(os.path.join(here, 'corpus', name), 'wb') as f:
        f.write(data)
