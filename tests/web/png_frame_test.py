#!/usr/bin/python3
"""png_frame turns PNG files into frame-buffer words: every row filter and
both colour types come back as the pixels they were made from, and files it
cannot read are refused rather than misread."""
import os
import struct
import sys
import unittest
import zlib

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_frame  # noqa: E402

WIDTH, HEIGHT = 7, 5


def pixels():
    """An uneven test picture: (r, g, b, a) per pixel, row by row."""
    return [((x * 37 + y * 11) & 0xFF, (x * 5 + y * 91 + 3) & 0xFF, (x * y * 29 + 200) & 0xFF,
             (x + y * 50) & 0xFF) for y in range(HEIGHT) for x in range(WIDTH)]


def paeth(a, b, c):
    p = a + b - c
    return min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2]


def filtered_row(kind, line, prev, bpp):
    out = bytearray([kind])
    for i, value in enumerate(line):
        left = line[i - bpp] if i >= bpp else 0
        corner = prev[i - bpp] if i >= bpp else 0
        predict = [0, left, prev[i], (left + prev[i]) // 2, paeth(left, prev[i], corner)][kind]
        out.append((value - predict) & 0xFF)
    return out


def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))


def make_png(filters, colour=2, interlace=0, declared_colour=None):
    """A PNG of pixels() whose row y uses filter filters[y % len(filters)]."""
    bpp = 3 if colour == 2 else 4
    rows = pixels()
    raw, prev = bytearray(), bytearray(WIDTH * bpp)
    for y in range(HEIGHT):
        line = bytearray()
        for r, g, b, a in rows[y * WIDTH:(y + 1) * WIDTH]:
            line += bytes((r, g, b, a)[:bpp])
        raw += filtered_row(filters[y % len(filters)], line, prev, bpp)
        prev = line
    header = struct.pack('>IIBBBBB', WIDTH, HEIGHT, 8,
                         colour if declared_colour is None else declared_colour, 0, 0, interlace)
    return (png_frame.SIGNATURE + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(raw))) +
            chunk(b'IEND', b''))


def expected_words():
    return b''.join(struct.pack('<I', (r << 16) | (g << 8) | b) for r, g, b, _ in pixels())


class DecodesEveryFilter(unittest.TestCase):
    CASES = [
        ('none', [0]), ('sub', [1]), ('up', [2]), ('average', [3]), ('paeth', [4]),
        ('all-mixed', [0, 1, 2, 3, 4]), ('paeth-after-sub', [1, 4]),
    ]

    def test_rgb_and_rgba(self):
        for colour, label in ((2, 'rgb'), (6, 'rgba')):
            for name, filters in self.CASES:
                with self.subTest(colour=label, filters=name):
                    width, height, words = png_frame.decode(make_png(filters, colour))
                    self.assertEqual((width, height), (WIDTH, HEIGHT))
                    self.assertEqual(words, expected_words())


class RefusesWhatItCannotRead(unittest.TestCase):
    def test_refusals(self):
        good = make_png([0, 4])
        crc_at = good.index(b'IDAT') + 4 + struct.unpack('>I', good[good.index(b'IDAT') - 4:][:4])[0]
        cases = [
            ('not-png', b'GIF89a' + good[6:]),
            ('bad-crc', good[:crc_at] + bytes([good[crc_at] ^ 1]) + good[crc_at + 1:]),
            ('interlaced', make_png([0], interlace=1)),
            ('grey', make_png([0], declared_colour=0)),
            ('no-end', good[:-12]),
        ]
        for name, data in cases:
            with self.subTest(name):
                with self.assertRaises(png_frame.PngError):
                    png_frame.decode(data)


if __name__ == '__main__':
    unittest.main()
