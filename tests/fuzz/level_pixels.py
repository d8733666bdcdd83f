#!/usr/bin/env python3
"""Seeds for the level_image fuzz target: each frame of the level image as
the game reads it back (64 x 64 pixels, 0xAARRGGBB little-endian), followed
by the level's stored solution as move bytes.

usage: level_pixels.py levels.png out_dir levels/01.txt ... levels/64.txt"""
import os
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    at, idat, header = 8, b"", None
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour = header[:4]
    assert depth == 8 and colour in (2, 6), "8-bit RGB or RGBA expected"
    bpp = 4 if colour == 6 else 3
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    return width, bpp, rows


def solution_moves(path):
    text, moves, taking = open(path).read().splitlines(), "", False
    for line in text:
        if line.startswith("map:"):
            break
        if line.startswith("solution:"):
            moves, taking = line[len("solution:"):], True
        elif taking and line[:1].isspace() and line.strip():
            moves += " " + line.strip()
        elif line.strip() and not line.strip().startswith(";"):
            taking = False
    out = bytearray()
    for move in moves.split(","):
        move = move.split()
        if len(move) == 2:
            out.append("PLO".index(move[0]) | ("UDLR".index(move[1]) << 2))
    return bytes(out)


def main():
    png, out_dir, sources = sys.argv[1], sys.argv[2], sys.argv[3:]
    width, bpp, rows = read_png(png)
    os.makedirs(out_dir, exist_ok=True)
    for frame in range((width // 64) * (len(rows) // 64)):
        fx, fy = 64 * (frame % (width // 64)), 64 * (frame // (width // 64))
        pixels = bytearray()
        for y in range(64):
            row = rows[fy + y]
            for x in range(64):
                p = row[(fx + x) * bpp:(fx + x + 1) * bpp]
                alpha = p[3] if bpp == 4 else 255
                pixels += bytes((p[2], p[1], p[0], alpha))
        moves = solution_moves(sources[frame]) if frame < len(sources) else b""
        open(os.path.join(out_dir, "level%02d.bin" % (frame + 1)), "wb").write(pixels + moves)


main()
