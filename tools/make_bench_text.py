#!/usr/bin/python3
"""Writes deterministic English-like text of about N bytes (default 10 MB)
to standard output, for tools/bench_vs_wc.sh: a Zipf-like vocabulary,
capitalised sentence starts, commas, quotes and sentence ends."""
import random
import sys

size = int(sys.argv[1]) if len(sys.argv) > 1 else 10 * 1000 * 1000
rnd = random.Random(42)
syllables = ["ka", "lo", "mi", "ter", "son", "ra", "ven", "el", "dor", "is", "an", "ru", "ple", "th"]
vocabulary = []
for i in range(20000):
    word, k = "", i
    for _ in range(1 + i % 4):
        word += syllables[k % 14]
        k //= 14
    vocabulary.append(word + ("s" if i % 7 == 0 else ""))
weights = [1.0 / (i + 1) for i in range(len(vocabulary))]
out, length, in_sentence = [], 0, 0
while length < size:
    for word in rnd.choices(vocabulary, weights, k=4096):
        if in_sentence == 0:
            word = word.capitalize()
        in_sentence += 1
        if rnd.random() < 1 / 11:
            word += ","
        if in_sentence > 6 and rnd.random() < 1 / 9:
            word += '."' if rnd.random() < 0.2 else "."
            in_sentence = 0
        piece = word + ("\n\n" if rnd.random() < 1 / 40 else " ")
        out.append(piece)
        length += len(piece)
sys.stdout.write("".join(out))
