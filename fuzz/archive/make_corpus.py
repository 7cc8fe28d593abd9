#!/usr/bin/env python3
"""Writes the seed corpora of the archive fuzz targets: a few valid inputs
and the edges around them. Run from anywhere; output is deterministic."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def block(method, payload, marker=0x66, length=None):
    return bytes([marker, method]) + struct.pack("<i", len(payload) if length is None else length) + payload


def zblock(plain):
    return block(1, zlib.compress(plain, 6))


TEXT = b"soubor archiv blok data instalace\n" * 40
PATTERN = bytes(i % 251 for i in range(320000))

BLOCK_SEEDS = {
    "empty": b"",
    "one_zlib_block": zblock(TEXT),
    "zlib_and_stored": zblock(TEXT[:700]) + block(0, b"stored bytes") + block(255, b"\x00\x01\x02"),
    "plain_320000": zblock(PATTERN),
    "length_zero_then_block": zblock(b"abc") + block(1, b"") + zblock(TEXT),
    "header_then_end": zblock(b"abc") + block(1, b"", length=100),
    "payload_cut_short": zblock(b"abc") + block(1, zlib.compress(TEXT))[:40],
    "wrong_marker": zblock(b"abc") + block(1, zlib.compress(b"def"), marker=0x67),
    "negative_length": zblock(b"abc") + block(1, b"\x78\x9c", length=-2),
    "wrong_adler": block(1, zlib.compress(TEXT)[:-1] + b"\x00"),
    "empty_stream": block(1, zlib.compress(b"")),
    "trailing_after_stream": block(1, zlib.compress(TEXT) + b"\x66\x01junk"),
    "five_bytes": b"\x66\x01\x10\x00\x00",
}


def field(text):
    return text.ljust(48, b"\x00")


def piece(flags, name, data):
    return struct.pack("<II", flags, len(data)) + field(name) + data


def archive(image, pieces, count=1, password=b""):
    header = struct.pack("<II", count, 1) + field(b"setup.exe") + field(b"Demo") + field(password)
    return image + header + b"".join(pieces) + struct.pack("<I", len(image))


def pe_image(magic):
    """A PE image of 384 bytes with 16 empty data directories (0x10B: PE32,
    0x20B: PE32+)."""
    directories = 96 if magic == 0x10B else 112
    optional = struct.pack("<H", magic).ljust(directories - 4, b"\x00") + struct.pack("<I", 16) + b"\x00" * 128
    image = b"MZ".ljust(0x3C, b"\x00") + struct.pack("<I", 0x40)
    image += b"PE\x00\x00" + struct.pack("<HHIIIHH", 0x14C, 0, 0, 0, 0, len(optional), 0) + optional
    return image.ljust(384, b"\x00")


def signed(unsigned, table):
    """unsigned with table appended and named by its security directory."""
    entry = 0x40 + 24 + (96 if unsigned[0x40 + 25] == 0x01 else 112) + 4 * 8
    named = unsigned[:entry] + struct.pack("<II", len(unsigned), len(table)) + unsigned[entry + 8:]
    return named + table


# The leading 4 bytes and the text up to the first NUL double as a volume
# number and an archive path for the volume name.
IMAGE = struct.pack("<I", 1) + b"C:\\DIST\\SETUP.EXE\x00MZ"
CONTAINER_SEEDS = {
    "single_piece_flags_9": archive(IMAGE, [piece(9, b"setup.exe", b"hello")]),
    "create_append_last": archive(IMAGE, [piece(1, b"data.bin", b"a" * 300), piece(10, b"data.bin", b"b" * 200)]),
    "block_file_and_dirs": archive(IMAGE, [piece(1, b"bin\\x.ini", b"[x]\n"), piece(9, b"bin\\lib\\y.dll.xxx", zblock(TEXT))], 2),
    "password_junk_after_nul": archive(IMAGE, [piece(9, b"a", b"")], password=b"\x00junk"),
    "volume_100_no_extension": archive(struct.pack("<I", 100) + b"/srv/setup\x00", [piece(9, b"a", b"z")]),
    "header_without_nul": archive(IMAGE, []).replace(field(b"Demo"), b"D" * 48),
    "trailer_past_end": IMAGE + struct.pack("<I", 0x10000),
    "volume_pieces_and_tail": piece(2, b"data.bin", b"c" * 100) + b"\xee" * 55,
    "three_bytes": b"\x01\x00\x00",
    "signed_pe32": signed(archive(pe_image(0x10B), [piece(9, b"setup.exe", b"hello")]), piece(9, b"x", b"")),
    "signed_pe32_plus_padded": signed(
        archive(pe_image(0x20B), [piece(9, b"setup.exe", b"hi")])[:-4] + b"\x00" * 2 + struct.pack("<I", 384),
        b"\x5a" * 1024),
}

for target, seeds in (("block_decoder", BLOCK_SEEDS), ("container", CONTAINER_SEEDS)):
    directory = os.path.join(HERE, target, "corpus")
    os.makedirs(directory, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(directory, name), "wb") as out:
            out.write(data)
