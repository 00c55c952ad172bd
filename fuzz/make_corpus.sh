#!/usr/bin/env bash
# Writes the AVI fuzzer's seed corpus, fuzz/corpus/avi/: a tiny recorder-like clip made by
# ffmpeg (64x48 MJPEG, 4 frames, 8 kHz mono PCM) and copies of it damaged the ways a power
# cut, other writers and hostile files do. Run once; its outputs are committed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
out=corpus/avi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -nostdin -y -f lavfi -i testsrc=size=64x48:rate=15 \
  -f lavfi -i sine=frequency=440:sample_rate=8000 -t 0.27 -c:v mjpeg -q:v 10 \
  -c:a pcm_s16le -ac 1 -reserve_index_space 1 -fflags +bitexact "$work/clip.avi"

rm -rf "$out"
mkdir -p "$out"
python3 - "$work/clip.avi" "$out" <<'PY'
import struct, sys

clip, out = sys.argv[1], sys.argv[2]
d = bytes(open(clip, 'rb').read())
u32 = lambda b, o: struct.unpack_from('<I', b, o)[0]
movi = d.find(b'movi')          # the movi fourcc
idx = d.find(b'idx1')
entries = [struct.unpack_from('<4sIII', d, idx + 8 + 16 * k) for k in range(u32(d, idx + 4) // 16)]
chunks = [(e[0], movi + e[2], e[3]) for e in entries]      # id, header offset, size
avih = d.find(b'avih') + 8
strhs = [i + 8 for i in range(len(d)) if d[i:i + 4] == b'strh' and i < movi]
header = d[:movi - 8]           # up to LIST movi

def save(name, data):
    open(f'{out}/{name}.avi', 'wb').write(bytes(data))

def mars(b):
    b = bytearray(b)
    b[0:4] = b'MARS'
    return b

def put(b, off, value):
    struct.pack_into('<I', b, off, value)

def chunk_bytes(c):
    cid, off, size = c
    return d[off:off + 8 + size + (size & 1)]

def rebuild(groups, with_index=True):
    """A plain AVI of the chunk groups; a group of several chunks becomes a LIST rec."""
    body = b''
    index = b''
    for g in groups:
        part = b''.join(chunk_bytes(c) for c in g)
        if len(g) > 1:
            part = b'LIST' + struct.pack('<I', 4 + len(part)) + b'rec ' + part
        body += part
    movi_list = b'LIST' + struct.pack('<I', 4 + len(body)) + b'movi' + body
    if with_index:
        pos = 4
        for g in groups:
            if len(g) > 1:
                pos += 12
            for c in g:
                index += c[0] + struct.pack('<III', 0x10, pos, c[2])
                pos += 8 + c[2] + (c[2] & 1)
        movi_list += b'idx1' + struct.pack('<I', len(index)) + index
    b = bytearray(header + movi_list)
    put(b, 4, len(b) - 8)
    return b

m = mars(d)
save('sound_mars', m)
save('sound_riff', d)
save('cut_in_chunk_header', m[:chunks[2][1] + 3])
save('cut_in_frame', m[:chunks[4][1] + 600])
save('cut_on_boundary', m[:chunks[3][1]])
save('cut_in_index', m[:idx + 8 + 16 * 3 + 5])
z = bytearray(m)
for off in (4, movi - 4, avih + 16) + tuple(s + 32 for s in strhs):
    put(z, off, 0)
save('sizes_zeroed', z)
save('no_index', m[:idx])
zr = bytearray(m[:idx])
zr[chunks[2][1] + 100:chunks[4][1] + 20] = bytes(chunks[4][1] + 20 - chunks[2][1] - 100)
save('zero_run_then_chunks', zr)
ab = bytearray(m)
for k, e in enumerate(entries):
    put(ab, idx + 8 + 16 * k + 8, movi + e[2])
save('absolute_index', ab)
g = bytearray(m[:chunks[3][1]]) + bytes(range(7, 7 + 37)) + m[chunks[3][1]:idx]
save('garbage_between_chunks', g)
# OpenDML: the last three chunks in a RIFF AVIX part of their own.
first = rebuild([[c] for c in chunks[:-3]])
part = b''.join(chunk_bytes(c) for c in chunks[-3:])
part = b'LIST' + struct.pack('<I', 4 + len(part)) + b'movi' + part
save('avix_part', mars(first + b'RIFF' + struct.pack('<I', 4 + len(part)) + b'AVIX' + part))
save('rec_lists', mars(rebuild([chunks[0:2], chunks[2:4], chunks[4:]])))
bi = bytearray(m)
put(bi, idx + 8 + 16 * 2 + 8, 0x7FFFFFF0)
save('index_entry_outside', bi)
ly = bytearray(m[:idx])
put(ly, chunks[1][1] + 4, 0x7FFFFFFF)
save('lying_chunk_size', ly)
save('cut_in_hdrl', m[:avih + 40])
st = bytearray(m)
put(st, avih + 24, 200)
save('avih_streams_200', st)
# The fuzzer's find: strh claiming a frame every 136 years (scale 0xffffffff, rate 1), on a
# recording cut short to stay small.
fc = bytearray(m[:chunks[3][1]])
put(fc, strhs[0] + 20, 0xFFFFFFFF)
put(fc, strhs[0] + 24, 1)
save('frame_a_century', fc)
PY
# Pairs for the clip across two recordings: the first's length, the byte that places the spans
# (low half: the first's start, high half: the second's end, in steps of 20 ms), the byte that
# asks for OpenDML parts of a few KiB (top bit), then the two.
python3 - "$out" <<'PY'
import struct, sys

out = sys.argv[1]
def pair(name, first, second, spans, parts):
    a = open(f'{out}/{first}.avi', 'rb').read()
    b = open(f'{out}/{second}.avi', 'rb').read()
    open(f'{out}/{name}.pair', 'wb').write(struct.pack('<IBB', len(a), spans, parts) + a + b)

pair('clip_across_two', 'sound_mars', 'sound_riff', 0x85, 0x00)
pair('clip_across_two_opendml', 'sound_mars', 'sound_riff', 0x85, 0x8A)
pair('clip_of_cut_recordings', 'cut_in_frame', 'no_index', 0x63, 0x84)
pair('clip_of_a_frame_and_rec_lists', 'zero_run_then_chunks', 'rec_lists', 0x1C, 0x81)
pair('clip_with_an_unreadable_second', 'sound_mars', 'cut_in_hdrl', 0xF0, 0x00)
PY
ls -l "$out"
