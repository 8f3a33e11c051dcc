"""Prints the summary of a UTF-8 file and the place of each chosen sentence."""
import sys

import vellumtrace

text = open(sys.argv[1], "rb").read()
dictionary = vellumtrace.Dictionary.for_language("en")
summary = vellumtrace.summarize(text, dictionary, percent=20)
sys.stdout.write(summary.text)
for sentence in summary.sentences:
    if sentence.selected:
        print(f"bytes {sentence.start}-{sentence.end}, grade {sentence.grade}", file=sys.stderr)
print("keywords:", [(k.word, k.count) for k in summary.keywords[:5]], file=sys.stderr)
