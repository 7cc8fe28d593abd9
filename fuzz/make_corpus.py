#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: a few valid inputs and the
edges around them. Run from anywhere; output is deterministic."""
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


def archive(image, pieces, count=1, password=b"", setup=b"setup.exe"):
    header = struct.pack("<II", count, 1) + field(setup) + field(b"Demo") + field(password)
    return image + header + b"".join(pieces) + struct.pack("<I", len(image))


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
}


def installer(exe, volume=b""):
    """The worker target's input: the executable's length, the executable, its first volume."""
    return struct.pack("<I", len(exe)) + exe + volume


MZ = b"MZ a stand-in for the stub"
WORKER_SEEDS = {
    "one_piece": installer(archive(MZ, [piece(9, b"setup.exe", b"MZ")])),
    "dirs_and_block_file": installer(archive(MZ, [piece(1, b"setup.exe", b"MZ"), piece(1, b"bin\\x.ini", b"[x]\n"),
                                                  piece(9, b"bin\\y.dll.xxx", zblock(TEXT))], 3)),
    "block_setup_append": installer(archive(MZ, [piece(1, b"setup.exe.xxx", zblock(TEXT)[:30]),
                                                 piece(10, b"setup.exe.xxx", zblock(TEXT)[30:])],
                                            setup=b"setup.exe.xxx")),
    "password": installer(archive(MZ, [piece(9, b"setup.exe", b"MZ")], password=b"Tajne")),
    "into_volume": installer(archive(MZ, [piece(1, b"setup.exe", b"MZ"), piece(1, b"a", b"1")], 2)[:-4] +
                             b"\x00" * 10 + struct.pack("<I", len(MZ)), piece(2, b"a", b"2") + piece(8, b"a", b"")),
    "climbing_name": installer(archive(MZ, [piece(1, b"in\\ok", b"x"), piece(9, b"..\\evil", b"evil")], 2)),
    "neither_bit": installer(archive(MZ, [piece(1, b"a", b"abc"), piece(8, b"a", b"d")])),
    "bad_block_file": installer(archive(MZ, [piece(9, b"a.xxx", b"g\x01\x01\x00\x00\x00x")])),
    "two_levels": installer(archive(MZ, [piece(9, b"a\\b\\c", b"x")])),
}

for target, seeds in (("archive/block_decoder", BLOCK_SEEDS), ("archive/container", CONTAINER_SEEDS),
                      ("worker", WORKER_SEEDS)):
    directory = os.path.join(HERE, target, "corpus")
    os.makedirs(directory, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(directory, name), "wb") as out:
            out.write(data)
