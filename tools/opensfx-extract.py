#!/usr/bin/env python3
"""Extracts the sounds of an OpenTTD sound set (.cat, as in Debian's openttd-opensfx), for
measuring.

  tools/opensfx-extract.py SET.cat OUTPUT_DIR

A .cat file opens with a table of (offset, size) pairs, little-endian 32-bit, the top bit
of each offset a flag; the first offset is where the table ends. Each entry holds a
one-byte length, that many bytes of description (the sound's title, author and licence)
and a RIFF WAVE file. This writes entry N as OUTPUT_DIR/NN.wav and lists the
descriptions in OUTPUT_DIR/index.txt. Standard library only."""
import os
import struct
import sys


def extract(path, outdir):
    data = open(path, "rb").read()
    if len(data) < 8:
        sys.exit(f"{path}: too short for a sound set")
    (first,) = struct.unpack("<I", data[:4])
    count = (first & 0x7FFFFFFF) // 8
    if count == 0 or 8 * count > len(data):
        sys.exit(f"{path}: not an OpenTTD sound set")
    os.makedirs(outdir, exist_ok=True)
    written = 0
    with open(os.path.join(outdir, "index.txt"), "w", encoding="utf-8") as index:
        for n in range(count):
            offset, size = struct.unpack("<II", data[8 * n:8 * n + 8])
            offset &= 0x7FFFFFFF
            if offset + size > len(data) or size == 0:
                continue
            length = data[offset]
            title = data[offset + 1:offset + 1 + length].rstrip(b"\0").decode("latin-1")
            body = data[offset + 1 + length:offset + size]
            start = body.find(b"RIFF")
            if start < 0:
                continue
            with open(os.path.join(outdir, f"{n:02d}.wav"), "wb") as out:
                out.write(body[start:])
            index.write(f"{n:02d}\t{title}\n")
            written += 1
    print(f"{written} sounds written to {outdir}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    extract(sys.argv[1], sys.argv[2])
