#!/usr/bin/python3
"""Compares two recordings' audio.wav: equal sample for sample from FROM seconds
on (the module), and before it at most one step apart (the MP3: libmpg123
picks a decoder per processor, and its rounding of the last bit differs).
usage: compare_wav.py NATIVE.wav CROSS.wav FROM"""
import sys

import numpy as np


def samples(path):
    data = np.fromfile(path, dtype=np.uint8)
    # Walk the chunks to the data chunk rather than assume a 44-byte header.
    at = 12
    while at + 8 <= len(data):
        size = int(data[at + 4:at + 8].view("<u4")[0])
        if bytes(data[at:at + 4]) == b"data":
            return data[at + 8:at + 8 + size].view("<i2").reshape(-1, 2).astype(np.int32)
        at += 8 + size + (size & 1)
    sys.exit(f"{path}: no data chunk")


native, cross = samples(sys.argv[1]), samples(sys.argv[2])
start = int(float(sys.argv[3]) * 44100)
if native.shape != cross.shape:
    sys.exit(f"sound: native has {len(native)} sample frames, cross {len(cross)}")
diff = np.abs(native - cross).max(axis=1)
late = np.nonzero(diff[start:])[0]
if len(late):
    sys.exit(f"sound: {len(late)} sample frames differ from {sys.argv[3]} s on, "
             f"the first at {(start + late[0]) / 44100:.3f} s")
if diff[:start].max(initial=0) > 1:
    sys.exit(f"sound: before {sys.argv[3]} s a sample differs by {diff[:start].max()}")
print(f"sound: equal from {sys.argv[3]} s on; {np.count_nonzero(diff[:start])} earlier "
      f"sample frames one step apart")
