#!/usr/bin/env python3
"""Extracts the audio files from a compiled Qt resource bundle (.rcc), for measuring.

  tools/rcc-extract.py BUNDLE.rcc OUTPUT_DIR [SUFFIX...]

Some Debian game and education packages (GCompris) ship their recordings inside .rcc
bundles. This writes the files whose names end in one of SUFFIX (default .ogg .wav .mp3)
under OUTPUT_DIR, keeping their resource paths. Standard library only."""
import os
import struct
import sys
import zlib


def extract(path, outdir, suffixes):
    b = open(path, "rb").read()
    if b[:4] != b"qres":
        sys.exit(f"{path}: not a Qt resource bundle")
    version, tree, data, names = struct.unpack(">IIII", b[4:20])
    entry = 22 if version >= 2 else 14

    def name(offset):
        (n,) = struct.unpack(">H", b[names + offset:names + offset + 2])
        return b[names + offset + 6:names + offset + 6 + 2 * n].decode("utf-16-be")

    written = 0

    def walk(i, prefix):
        nonlocal written
        e = tree + i * entry
        name_offset, flags = struct.unpack(">IH", b[e:e + 6])
        here = name(name_offset) if i else ""
        if flags & 2:  # directory
            count, first = struct.unpack(">II", b[e + 6:e + 14])
            for c in range(count):
                walk(first + c, f"{prefix}/{here}" if here else prefix)
            return
        full = f"{prefix}/{here}".lstrip("/")
        if not full.endswith(tuple(suffixes)):
            return
        (offset,) = struct.unpack(">I", b[e + 10:e + 14])
        (size,) = struct.unpack(">I", b[data + offset:data + offset + 4])
        blob = b[data + offset + 4:data + offset + 4 + size]
        if flags & 1:  # zlib, after a 4-byte length
            blob = zlib.decompress(blob[4:])
        elif flags & 4:
            print(f"skipped (zstd): {full}", file=sys.stderr)
            return
        target = os.path.join(outdir, full)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(blob)
        written += 1

    walk(0, "")
    return written


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    n = extract(sys.argv[1], sys.argv[2], sys.argv[3:] or [".ogg", ".wav", ".mp3"])
    print(f"{n} files")
