# Small files declaring pictures too large for their data or for any graph.
import struct
import zlib


def segment(marker, body):
    return bytes([0xFF, marker]) + struct.pack(">H", len(body) + 2) + body


def arithmetic_jpeg(side, components):
    # Baseline quantisation, a frame with arithmetic coding (SOF9), one scan over every
    # component and a few bytes of coded data; the decoder reads zeros past them.
    table = segment(0xDB, bytes([0]) + bytes([16] * 64))
    if components == 1:
        parts = [(1, 0x11)]
    else:
        parts = [(1, 0x22), (2, 0x11), (3, 0x11)]
    frame = segment(0xC9, struct.pack(">BHHB", 8, side, side, components)
                    + b"".join(bytes([i, s, 0]) for i, s in parts))
    scan = segment(0xDA, bytes([components]) + b"".join(bytes([i, 0]) for i, _ in parts) + bytes([0, 63, 0]))
    return b"\xFF\xD8" + table + frame + scan + bytes([0x55] * 16) + b"\xFF\xD9"


def png(side):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    row = bytes(1 + (side + 7) // 8)
    packer = zlib.compressobj(9)
    data = b"".join(packer.compress(row) for _ in range(side)) + packer.flush()
    header = struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def rle_bmp(side):
    # Codes that paint every pixel: full runs, then the end of each row.
    row = b"".join(bytes([min(255, side - x), 9]) for x in range(0, side, 255)) + b"\0\0"
    codes = row * side + b"\0\1"
    table = b"".join(bytes([g, g, g, 0]) for g in range(256))
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, side, side, 1, 8, 1, len(codes), 0, 0, 256, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(codes), 0, 0, offset) + info + table + codes


for name, data in [("colour.jpg", arithmetic_jpeg(16384, 3)), ("grey.jpg", arithmetic_jpeg(23170, 1)),
                   ("huge.png", png(32768)), ("huge.bmp", rle_bmp(32768))]:
    with open(name, "wb") as out:
        out.write(data)
