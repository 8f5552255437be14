#!/usr/bin/env python3
"""Replays damaged variants of the real program image through quadrix-cli.

Each variant changes a few bytes of the image the executable carries (a
32-bit field set to a boundary value, or bits flipped), mostly in the parts
the loader reads before it trusts anything: the header, the library table,
the section headers, the code directory and the link block. The variant runs
with an empty script; it must end with a status (0 when the change did not
matter, 2 when the image is refused, 3 after a runtime error), never with a
signal or a hang.

    fuzz/replay_damaged_images.py BUILD_DIR [--count N] [--seed S] [--jobs J]

Prints a tally of the outcomes and exits 1 when any variant died of a signal
or hung, 0 otherwise.
"""
import argparse
import collections
import concurrent.futures
import errno
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time

BOUNDARY_WORDS = [0, 1, 0x10, 0x38, 0x58, 0x7F, 0x80, 0xFF, 0x100, 0x1000,
                  0xFFFF, 0x7FFFFFF0, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF8,
                  0xFFFFFFFE, 0xFFFFFFFF]


def extract_image(build, executable):
    with tempfile.NamedTemporaryFile() as out:
        subprocess.run([os.path.join(build, "bin", "quadrix-image"), "extract",
                        executable, out.name], check=True)
        return open(out.name, "rb").read()


def trusted_regions(image):
    """Byte ranges the loader reads before trusting anything."""
    first = struct.unpack_from("<I", image, 0x24)[0]
    regions = [(0, min(first, len(image)))]
    offset = first
    while offset != 0xFFFFFFFF and offset + 0x38 <= len(image):
        length = struct.unpack_from("<I", image, offset)[0]
        regions.append((offset, min(len(image), offset + max(length, 0x38))))
        name = image[offset + 0x0C:offset + 0x24].split(b"\0")[0]
        data = struct.unpack_from("<I", image, offset + 0x2C)[0]
        size = struct.unpack_from("<I", image, offset + 0x24)[0]
        if name == b"code" and data != 0xFFFFFFFF:
            regions.append((data, min(len(image), data + size)))
        offset = struct.unpack_from("<I", image, offset + 4)[0]
    return regions


def damage(image, regions, rng):
    bytes_ = bytearray(image)
    for _ in range(rng.choice([1, 1, 1, 2, 3])):
        if rng.random() < 0.85:
            start, end = rng.choice(regions)
        else:
            start, end = 0, len(image)
        if end - start < 4:
            continue
        at = rng.randrange(start, end - 3)
        if rng.random() < 0.5:
            at &= ~3
        kind = rng.random()
        if kind < 0.5:
            value = rng.choice(BOUNDARY_WORDS)
        elif kind < 0.7:
            old = struct.unpack_from("<I", bytes_, at)[0]
            value = (old + rng.choice([-8, -4, -1, 1, 4, 8, 0x38])) & 0xFFFFFFFF
        elif kind < 0.85:
            value = rng.getrandbits(32)
        else:
            old = struct.unpack_from("<I", bytes_, at)[0]
            value = old ^ (1 << rng.randrange(32))
        struct.pack_into("<I", bytes_, at, value)
    return bytes(bytes_)


def run_variant(directory, carried, offsets, variant, timeout):
    executable = os.path.join(directory, "quadrix-cli")
    data = bytearray(carried)
    for offset in offsets:
        data[offset:offset + len(variant)] = variant
    with open(executable, "wb") as out:
        out.write(data)
    os.chmod(executable, 0o700)
    for attempt in range(50):
        try:
            result = subprocess.run([executable], stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL,
                                    stderr=subprocess.PIPE, timeout=timeout)
            break
        except subprocess.TimeoutExpired:
            return "hang", b""
        except OSError as error:
            # Another worker's fork may briefly hold the file open for
            # writing until its exec.
            if error.errno != errno.ETXTBSY:
                raise
            time.sleep(0.01)
    else:
        raise RuntimeError("cannot start " + executable)
    if result.returncode < 0:
        return "signal %d" % -result.returncode, result.stderr[-400:]
    return "status %d" % result.returncode, result.stderr[-200:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=float, default=30)
    args = parser.parse_args()

    bin_dir = os.path.join(args.build, "bin")
    source = os.path.join(bin_dir, "quadrix-cli")
    image = extract_image(args.build, source)
    carried = open(source, "rb").read()
    offsets = []
    at = carried.find(image)
    while at >= 0:
        offsets.append(at)
        at = carried.find(image, at + 1)
    if not offsets:
        sys.exit("quadrix-cli does not carry its image verbatim")
    regions = trusted_regions(image)
    rng = random.Random(args.seed)
    variants = [damage(image, regions, rng) for _ in range(args.count)]

    work = tempfile.mkdtemp(prefix="quadrix-replay-")
    directories = []
    for job in range(args.jobs):
        directory = os.path.join(work, str(job))
        os.mkdir(directory)
        for name in ("basert.rtp", "WebPane.rtp", "ad1.htm"):
            os.symlink(os.path.join(os.path.abspath(bin_dir), name),
                       os.path.join(directory, name))
        directories.append(directory)

    tally = collections.Counter()
    bad = []
    try:
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            def job(index):
                directory = directories[index % args.jobs]
                return index, run_variant(directory, carried, offsets,
                                          variants[index], args.timeout)
            # One directory per worker: run each worker's share in order.
            def worker(slot):
                results = []
                for index in range(slot, args.count, args.jobs):
                    results.append(job(index))
                return results
            for results in pool.map(worker, range(args.jobs)):
                for index, (outcome, err) in results:
                    tally[outcome] += 1
                    if outcome.startswith("signal") or outcome == "hang":
                        bad.append((index, outcome, err))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("variants: %d" % args.count)
    for outcome, count in sorted(tally.items()):
        print("  %-10s %d" % (outcome, count))
    for index, outcome, err in bad[:20]:
        print("variant %d: %s\n%s" % (index, outcome,
                                       err.decode("utf-8", "replace")))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
