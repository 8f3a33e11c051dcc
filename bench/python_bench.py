"""The Python module against str.split() on the same news articles, in one run.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [DOCS_DIR] [ROUNDS]

For each article folder (default /work/shared/eval/bbc_en_large/docs) it
times, alternately and ROUNDS times (default 7), one pass over every
article of:
  split       text.split()                       the yardstick
  summarizer  Summarizer("en")(text).text        one kept summarizer (new each round;
                                                 it starts with what the last one
                                                 of the dictionary learnt)
  one-shot    vellumtrace.summarize(text).text   a dictionary looked up per call
  library     a C++ Summarizer (new each round) alone over the UTF-8 texts,
              with no Python objects
and prints the best round's time per article (and the median) and the
ratios of the best rounds; "first pass" is the process's first
Summarizer, which starts with nothing learnt (one pass, before the rounds,
so noisier); "summarizer / split" is
the figure the module is held to (<= 1.5), "summarizer / library" what the
Python face adds to the library.
"""
import pathlib
import statistics
import sys
import time

import vellumtrace
from vellumtrace import _vellumtrace


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1
                          else "/work/shared/eval/bbc_en_large/docs")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    texts = [p.read_text("utf-8") for p in sorted(folder.glob("*.txt"))]
    if not texts:
        sys.exit(f"no .txt articles in {folder}")
    encoded = [t.encode("utf-8") for t in texts]
    summarizer = vellumtrace.Summarizer("en")
    handle = summarizer.dictionary._handle
    summarize = vellumtrace.summarize

    # Results first: the kept summarizer must equal the one-shot one.
    start = time.perf_counter()
    first = [summarizer(t).text for t in texts]
    first_pass = (time.perf_counter() - start) / len(texts) * 1e6
    assert first == [summarize(t).text for t in texts]

    def split():
        for text in texts:
            text.split()

    def kept():  # a fresh one each round, as the library yardstick
        run = vellumtrace.Summarizer("en")
        for text in texts:
            run(text).text

    def one_shot():
        for text in texts:
            summarize(text).text

    cases = {"split": split, "summarizer": kept, "one-shot": one_shot}
    times = {name: [] for name in [*cases, "library"]}
    for _ in range(rounds):
        for name, run in cases.items():
            start = time.perf_counter()
            run()
            times[name].append(time.perf_counter() - start)
        times["library"].append(_vellumtrace.library_seconds(encoded, handle))

    # The best round is the least disturbed on a shared machine; the median
    # shows the spread.
    per_article = {name: min(t) / len(texts) * 1e6 for name, t in times.items()}
    print(f"{len(texts)} articles, {sum(map(len, texts)) / len(texts):,.0f} characters on "
          f"average, {rounds} rounds; per article, best round (median):")
    print(f"  first pass  {first_pass:8.1f} us (the summarizer with nothing learnt)")
    for name, micros in per_article.items():
        median = statistics.median(times[name]) / len(texts) * 1e6
        print(f"  {name:<11} {micros:8.1f} us ({median:.1f} us)")
    for name in ("summarizer", "one-shot", "library"):
        print(f"  {name} / split: {per_article[name] / per_article['split']:.2f}x")
    print(f"  first pass / split: {first_pass / per_article['split']:.2f}x")
    print(f"  summarizer / library: {per_article['summarizer'] / per_article['library']:.2f}x")


if __name__ == "__main__":
    main()
