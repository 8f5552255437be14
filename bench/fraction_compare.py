#!/usr/bin/env python3
"""Runs the fraction benchmark and Python's fractions.Fraction on the same
operands in one go and prints their throughput side by side.

Usage: bench/fraction_compare.py [path/to/fraction_bench] [--min-time SECONDS]
                                  [--passes N]

The operands are drawn exactly as bench/fraction_operands.h draws them
(splitmix64, seeds 1 and 2). Python's figures include its loop overhead, as
a Python program doing the same work would pay it. Both sides are timed in
the processor time of their own process, so that other work on the machine
slows neither. A shared machine still slows both now and then (a busy
sibling thread, a cold cache), so the script makes several passes, each a
run of every benchmark followed by every piece of Python, and keeps each
side's best rate: a slow spell then costs a pass, not the table. The last
column is the benchmark's slowest single call of the operation on that
operand set, the smallest over the passes.
"""

import argparse
import json
import math
import subprocess
import sys
import time
from fractions import Fraction
from pathlib import Path

LIMIT = 2147483647
COUNT = 4096
MASK64 = (1 << 64) - 1
KINDS = ["random", "small", "near-limit"]
# Rows whose C++ figure is another row's benchmark: the same C++ call beside
# a different piece of Python.
SAME_CALL = {"CommonTyped": "CommonDenominator"}


def splitmix64(seed):
    state = seed
    while True:
        state = (state + 0x9E3779B97F4A7C15) & MASK64
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        yield z ^ (z >> 31)


def make_operands(kind, seed):
    """The (numerator, denominator) pairs of make_operands in C++."""
    draw = splitmix64(seed)
    operands = []
    for _ in range(COUNT):
        a, b = next(draw), next(draw)
        if kind == 0:
            operands.append((a % (2 * LIMIT + 1) - LIMIT, 1 + b % LIMIT))
        elif kind == 1:
            operands.append((a % 2001 - 1000, 1 + b % 1000))
        else:
            operands.append((a % (2 * LIMIT + 1) - LIMIT, LIMIT - b % 1000))
    return operands


def to_mixed(n, d):
    """The module's mixed form: whole part truncated toward zero."""
    whole = abs(n) // d
    rest = abs(n) - whole * d
    return (whole, rest if n >= 0 else -rest, d)


def python_operations(kind):
    raw_a = make_operands(kind, 1)
    raw_b = make_operands(kind, 2)
    fa = [Fraction(n, d) for n, d in raw_a]
    fb = [Fraction(n, d) for n, d in raw_b]
    mixed = [to_mixed(n, d) for n, d in raw_a]
    decimals = [n / d for n, d in raw_a]
    texts = [f"{n}/{d}" for n, d in raw_a]

    def common(x, y):
        common_denominator = math.lcm(x.denominator, y.denominator)
        return (x.numerator * (common_denominator // x.denominator),
                y.numerator * (common_denominator // y.denominator),
                common_denominator)

    def from_mixed(m):
        whole, numerator, denominator = m
        sign = -1 if numerator < 0 else 1
        return Fraction(sign * (whole * denominator + abs(numerator)),
                        denominator)

    # Python has one way to write a Fraction, always in lowest terms.
    def text_of(i):
        return str(fa[i])

    return {
        "Reduce": lambda i: Fraction(*raw_a[i]),
        "Add": lambda i: fa[i] + fb[i],
        "Subtract": lambda i: fa[i] - fb[i],
        "Multiply": lambda i: fa[i] * fb[i],
        "Divide": lambda i: fa[i] / fb[i] if fb[i] else None,
        "Square": lambda i: fa[i] ** 2,
        "CommonDenominator": lambda i: common(fa[i], fb[i]),
        # The C++ call's own work: from the fields as typed, reduced first.
        "CommonTyped":
            lambda i: common(Fraction(*raw_a[i]), Fraction(*raw_b[i])),
        "Lcm": lambda i: math.lcm(raw_a[i][1], raw_b[i][1]),
        "FractionToMixed": lambda i: divmod(fa[i].numerator,
                                            fa[i].denominator),
        "MixedToFraction": lambda i: from_mixed(mixed[i]),
        "NearestFraction":
            lambda i: Fraction(decimals[i]).limit_denominator(LIMIT),
        "ParseFraction": lambda i: Fraction(texts[i]),
        "FormatFraction": text_of,
        # The same values, already reduced on the C++ side too: both sides
        # then format a fraction in lowest terms and nothing else.
        "FormatReduced": text_of,
    }


def time_python(operation, min_time):
    # Processor time, as the benchmark's rates are: on a machine shared with
    # other work, time spent waiting for the processor counts for neither.
    calls = 0
    start = time.process_time()
    elapsed = 0.0
    while elapsed < min_time:
        for i in range(COUNT):
            operation(i)
        calls += COUNT
        elapsed = time.process_time() - start
    return calls / elapsed


def run_benchmark(binary, names, min_time):
    pattern = "^BM_(" + "|".join(names) + ")/"
    output = subprocess.run(
        [str(binary), "--benchmark_format=json",
         f"--benchmark_filter={pattern}",
         f"--benchmark_min_time={min_time}"],
        check=True, capture_output=True, text=True).stdout
    results = {}
    for entry in json.loads(output)["benchmarks"]:
        name, kind = entry["name"][len("BM_"):].split("/")
        results[(name, int(kind))] = (entry["items_per_second"],
                                      entry["slowest_us"])
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary", nargs="?",
                        default=Path(__file__).resolve().parent.parent /
                        "build" / "bin" / "fraction_bench")
    parser.add_argument("--min-time", type=float, default=0.2,
                        help="seconds per row and side in each pass")
    parser.add_argument("--passes", type=int, default=3)
    arguments = parser.parse_args()

    names = list(python_operations(1).keys())
    operations = [python_operations(kind) for kind in range(len(KINDS))]
    cpp = {}
    python = {}
    for _ in range(max(1, arguments.passes)):
        for key, (rate, slowest_call) in run_benchmark(
                arguments.binary,
                [name for name in names if name not in SAME_CALL],
                arguments.min_time).items():
            best_rate, best_slowest = cpp.get(key, (0.0, slowest_call))
            cpp[key] = (max(best_rate, rate), min(best_slowest, slowest_call))
        for kind in range(len(KINDS)):
            for name in names:
                rate = time_python(operations[kind][name], arguments.min_time)
                python[(name, kind)] = max(python.get((name, kind), 0.0), rate)

    print(f"{'operation':<18} {'operands':<10} {'C++ calls/s':>13} "
          f"{'Python calls/s':>15} {'C++/Python':>10} {'slowest us':>11}")
    slowest = 0.0
    for kind, kind_name in enumerate(KINDS):
        for name in names:
            cpp_rate, cpp_slowest = cpp[(SAME_CALL.get(name, name), kind)]
            python_rate = python[(name, kind)]
            slowest = max(slowest, cpp_slowest)
            print(f"{name:<18} {kind_name:<10} {cpp_rate:>13,.0f} "
                  f"{python_rate:>15,.0f} {cpp_rate / python_rate:>10.1f} "
                  f"{cpp_slowest:>11.2f}")
    print(f"slowest single call of the compared operations: {slowest:.2f} us")
    return 0


if __name__ == "__main__":
    sys.exit(main())
