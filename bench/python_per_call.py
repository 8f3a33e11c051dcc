"""The Python module's time per summarize call, the second yardstick of
bench/component_bench.sh: one loaded Dictionary, 20 %, text; the fastest
of five batches after a warm-up, as for the component.

    python3 bench/python_per_call.py DICTIONARY SECONDS TEXT...

One line per text: "python NAME UNITS MICROSECONDS".
"""
import os
import sys
import time

import vellumtrace


def per_call(call, seconds):
    for _ in range(3):
        call()
    start = time.perf_counter()
    calls = 0
    while time.perf_counter() - start < seconds / 20 or calls < 1:
        call()
        calls += 1
    per_batch = max(1, calls * 4)
    fastest = None
    for _ in range(5):
        start = time.perf_counter()
        for _ in range(per_batch):
            call()
        took = (time.perf_counter() - start) / per_batch
        fastest = took if fastest is None else min(fastest, took)
    return fastest


def main():
    dictionary = vellumtrace.Dictionary.load(sys.argv[1])
    seconds = float(sys.argv[2])
    for path in sys.argv[3:]:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        took = per_call(lambda: vellumtrace.summarize(text, dictionary=dictionary, percent=20), seconds)
        units = len(text.encode("utf-16-le")) // 2
        print(f"python {os.path.basename(path)} {units} {took * 1e6:.2f}")


if __name__ == "__main__":
    main()
