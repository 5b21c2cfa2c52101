"""Executable-like bytes for the benchmarks: functions drawn from a shared
pool with varying operands, so that the compressor finds repeats at every
distance, and now and then some data between them."""


def function_pool(rng, count):
    pool = []
    for _ in range(count):
        body = bytearray()
        for _ in range(rng.randrange(4, 40)):
            op = rng.randrange(256)
            body += bytes([0x8B, op, rng.randrange(16), 0, 0, 0x89, op ^ 0x40, 0xE8]) + rng.randbytes(4)
        pool.append(bytes(body) + b"\xC3")
    return pool


def executable_bytes(rng, pool, size):
    out = bytearray(b"MZ\x90\x00" + bytes(60))
    while len(out) < size:
        out += rng.choice(pool)
        if rng.random() < 0.1:
            out += rng.randbytes(rng.randrange(8, 64))
    return bytes(out[:size])
