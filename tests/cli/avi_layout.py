#!/usr/bin/env python3
"""Reads a sound AVI's own idx1 (independently of Kovra's reader) and answers questions the
video tests need: avi_layout.py FILE frames-before OFFSET | chunk OFFSET-KIND N"""
import struct
import sys


def index(path):
    data = open(path, "rb").read()
    movi = data.index(b"movi")  # the fourcc the idx1 offsets count from
    idx1 = data.index(b"idx1", movi)
    (size,) = struct.unpack_from("<I", data, idx1 + 4)
    entries = []
    for at in range(idx1 + 8, idx1 + 8 + size, 16):
        cid, flags, offset, length = struct.unpack_from("<4sIII", data, at)
        entries.append((cid, movi + offset, length))
    return entries, idx1


def main():
    path, question, value = sys.argv[1], sys.argv[2], int(sys.argv[3])
    entries, idx1 = index(path)
    video = [(start, length) for cid, start, length in entries if cid.endswith(b"dc")]
    if question == "frames-before":
        # complete video frames whose chunk (header and payload) ends at or before the offset
        print(sum(1 for start, length in video if start + 8 + length <= value))
    elif question == "video-chunk":
        # where video chunk number value starts, and its payload size
        start, length = video[value]
        print(start, length)
    elif question == "idx1":
        print(idx1)


main()
