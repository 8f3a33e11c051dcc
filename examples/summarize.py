"""Prints the summary of a UTF-8 file and the place of each chosen sentence."""
import sys

import vellumtrace

text = open(sys.argv[1], encoding="utf-8").read()
summary = vellumtrace.summarize(text, language="en", percent=20)
sys.stdout.write(summary.text)
for sentence in summary.sentences:
    if sentence.selected:  # text[sentence.start:sentence.end] == sentence.text
        print(f"characters {sentence.start}-{sentence.end}, grade {sentence.grade}: "
              f"{sentence.text[:40]!r}", file=sys.stderr)
print("keywords:", [(k.word, k.count) for k in summary.keywords[:5]], file=sys.stderr)
