"""A PNG file as the frame buffer's bytes: 32-bit little-endian 0x00RRGGBB
words, row after row, the layout whose SHA-256 the browser page reports.

Reads what vx1 writes (8-bit RGB, or RGBA whose alpha is dropped), not
interlaced, with any of the five row filters; standard library only.
"""
import struct
import zlib

SIGNATURE = b'\x89PNG\r\n\x1a\n'


class PngError(ValueError):
    pass


def _chunks(data):
    pos = len(SIGNATURE)
    while pos + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length:
            raise PngError('truncated chunk')
        crc = struct.unpack('>I', data[pos + 8 + length:pos + 12 + length])[0]
        if zlib.crc32(kind + body) != crc:
            raise PngError(f'bad CRC in {kind.decode("latin-1")}')
        yield kind, body
        pos += 12 + length
        if kind == b'IEND':
            return
    raise PngError('no IEND chunk')


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(raw, width, height, bpp):
    """The scanlines without their filter bytes, each filter undone."""
    stride = width * bpp
    if len(raw) != height * (stride + 1):
        raise PngError(f'{len(raw)} bytes of image data for {width} x {height}')
    out = bytearray(height * stride)
    prev = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                corner = prev[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + _paeth(left, prev[i], corner)) & 0xFF
        elif kind != 0:
            raise PngError(f'unknown row filter {kind}')
        out[y * stride:(y + 1) * stride] = line
        prev = line
    return out


def decode(data):
    """(width, height, words): words are width x height little-endian
    0x00RRGGBB values, 4 bytes a pixel."""
    if not data.startswith(SIGNATURE):
        raise PngError('not a PNG file')
    header, idat = None, bytearray()
    for kind, body in _chunks(data):
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
    if header is None:
        raise PngError('no IHDR chunk')
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise PngError(f'depth {depth}, colour type {colour}, interlace {interlace}: '
                       'only 8-bit RGB or RGBA without interlace')
    bpp = 3 if colour == 2 else 4
    pixels = _unfilter(zlib.decompress(bytes(idat)), width, height, bpp)
    words = bytearray(width * height * 4)
    words[0::4] = pixels[2::bpp]  # blue, the low byte
    words[1::4] = pixels[1::bpp]
    words[2::4] = pixels[0::bpp]
    return width, height, bytes(words)


def frame_words(path, width=320, height=200):
    """The frame buffer bytes of a width x height PNG file."""
    with open(path, 'rb') as f:
        w, h, words = decode(f.read())
    if (w, h) != (width, height):
        raise PngError(f'{path} is {w} x {h}, not {width} x {height}')
    return words
