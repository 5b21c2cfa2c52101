#!/usr/bin/env python3
"""Writes a generated application of about <megabytes> MiB into <folder>, the
same bytes every time (fixed seed): executable-like binaries with repeats at
every distance, already-compressed media, many small texts in nested folders
and structured records. The installation benchmarks share it.

    generate-application.py <folder> <megabytes>
"""
import os, random, struct, sys
from executable_like import executable_bytes, function_pool
root, total = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(7)
def write(relative, data):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)

# Executable-like: functions drawn from a shared pool with varying operands,
# so that the compressor finds repeats at every distance.
pool = function_pool(rng, 4096)
def binary(n):
    return executable_bytes(rng, pool, n)
binaries = total * 40 // 100
sizes = [8 << 20, 6 << 20, 4 << 20] + [rng.randrange(64 << 10, 2 << 20) for _ in range(200)]
done = 0
for i, size in enumerate(sizes):
    size = min(size, binaries - done)
    if size <= 0:
        break
    write(f"bin/{'plugins/' if i >= 20 else ''}module{i}.{'exe' if i == 0 else 'dll'}", binary(size))
    done += size

# Already compressed: nothing to gain, the installer only copies.
media = total * 35 // 100
sizes = [media * 40 // 100] + [media * 60 // 100 // 30] * 30
for i, size in enumerate(sizes):
    name = "media/intro.mp4" if i == 0 else f"media/{'textures/' if i % 2 else 'sounds/'}item{i}.{'png' if i % 2 else 'ogg'}"
    write(name, (b"\x89PNG" if i % 2 else b"OggS") + rng.randbytes(size - 4))

# Many small texts in nested folders.
words = ("install folder window setup copies files the of and to in is for with on as by this "
         "that application program user license version update shortcut registry value key name "
         "<Item Name=\" \"/> { } ( ) ; = return if else 0 1 2 3 4 5 6 7 8 9 \n").split(" ")
texts = total * 20 // 100
done = 0
i = 0
while done < texts:
    size = min(rng.randrange(512, 32 << 10), texts - done)
    text = " ".join(rng.choices(words, k=size // 4)).encode()[:size]
    language = ["en", "de", "fr", "es", "it", "ko", "ru", "zh"][i % 8]
    write(f"docs/{language}/section{i % 13}/part{i % 5}/page{i}.{'html' if i % 3 else 'txt'}", text)
    done += len(text)
    i += 1

# Structured data: fixed-size records with a few varying fields.
rest = total - binaries - media - done
records = bytearray()
n = 0
while len(records) < rest:
    records += struct.pack("<IIQ16s", n, rng.randrange(1000), n * 37, rng.choice(words).encode().ljust(16, b"\0"))
    n += 1
write("data/catalog.db", bytes(records[:rest]))
