#!/usr/bin/python3
"""Tunes a dictionary against a corpus of documents and reference summaries.

The corpus folder holds docs/NAME and refs/NAME (the layout that
`vellumtrace evaluate` reads). Its documents are split once, by a fixed seed,
into a tuning half and a validation half: a document goes to the tuning half
when the SHA-256 of "SEED:NAME" sorts into the first half of all such
digests, so the split depends on the names and the seed only, never on the
order of the folder or on the Python version.

Candidate changes come from the tuning half's own text, stemmed with the
dictionary as it stands:
  - grader terms to add: the most frequent stems found in at least
    --min-doc-share of the documents (words of every text, not topic words);
  - grader terms, suffix and prefix rules, sentence endings and non-endings
    to remove: every item the dictionary holds;
  - suffix rules to add: endings whose removal (or replacement by another
    ending) joins stems that both occur in the text;
  - prefix rules to add: leading marks that are left on stems;
  - sentence endings to add: final marks of words followed by a capital;
  - non-endings to add: words taken as sentence ends although the next word
    starts in lower case or with a digit, and abbreviations written with a
    full stop (a capital and lower-case consonants, "Dr."; dotted letters,
    "U.S.", "J.");
  - word classes (--groups: auxiliaries, modal verbs, reporting verbs, ...),
    each as one change: its members that are grader terms removed together,
    or those that are not added together, counting only members the text
    holds (effects too small to show one word at a time may show together).

Every candidate is scored with `vellumtrace evaluate --json` on the tuning
half. A change is kept only when it raises both ROUGE-1 and ROUGE-2 F1 by
more than their noise: with d the per-document differences (changed minus
current dictionary, same documents), the mean of d must exceed --threshold
times its standard error sd(d)/sqrt(n) for both scores (a paired test; the
default 1.645 is a one-sided 5% level per score), and the change must move
the scores of at least --min-documents documents (a gain on two or three
articles tells nothing). Candidates are screened once against the current
dictionary, then tried best first, each against the dictionary with all
changes kept so far; after each kept change the candidates rejected before
it are tried again (changes interact); further passes regenerate the
candidates from the changed dictionary until one keeps nothing.

Grader terms are stems, so a rule change respells them: a term that the new
rules now reach gets its new stem, and every word of the tuning half whose
stem was a grader term has its new stem listed as well. A rule change
therefore never lets a function word in or out by the way.

The validation half is scored before and after, and after every kept change,
but never chooses anything.

    tools/tune_dictionary.py --corpus CORPUS --dictionary dic/en.xml \\
        --deny tools/tune_dictionary_en.deny \\
        --groups tools/tune_dictionary_en.groups --output /tmp/en.tuned.xml
    tools/tune_dictionary.py --corpus CORPUS --dictionary dic/en.xml \\
        --compare NEW.xml      # the before/after table only
"""
import argparse
import concurrent.futures
import hashlib
import json
import math
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from collections import Counter

RULE_SECTIONS = ("linebreak", "linedontbreak", "step1_pre", "step1_post", "grader-tc")
SPACE = "\t\n\v\f\r "
METRICS = ("rouge1", "rouge2", "rougeLsum")


# ---------------------------------------------------------------- dictionary

class Dictionary:
    """The five rule lists that the engine reads, in file order."""

    def __init__(self, sections=None, vocabulary=()):
        self.sections = {name: list((sections or {}).get(name, [])) for name in RULE_SECTIONS}
        # Words of the text, to keep excluded words excluded when rules change.
        self.vocabulary = vocabulary
        self._excluded_words = None

    @staticmethod
    def load(path):
        root = ET.parse(path).getroot()
        sections = {name: [] for name in RULE_SECTIONS}
        for element in root.iter():
            if element.tag not in sections:
                continue
            items = sections[element.tag]
            if element.text and element.text.strip():
                items.append(element.text.strip())
            for child in element:
                items.append("".join(child.itertext()).strip())
                if child.tail and child.tail.strip():
                    items.append(child.tail.strip())
        return Dictionary(sections)

    def to_xml(self):
        out = ['<?xml version="1.0" encoding="UTF-8"?>\n<dictionary>\n']
        for name in RULE_SECTIONS:
            out.append("  <%s>" % name)
            for item in self.sections[name]:
                out.append("<e>%s</e>" % escape(item))
            out.append("</%s>\n" % name)
        out.append("</dictionary>\n")
        return "".join(out)

    def apply(self, change):
        """Returns a new dictionary with the change made."""
        result = Dictionary(self.sections, self.vocabulary)
        items = result.sections[change.section]
        for item in change.items():
            if change.op == "add":
                position = len(items) if change.position is None else change.position
                items.insert(position, item)
            else:
                items.remove(item)  # the first occurrence
        if change.section in ("step1_pre", "step1_post"):
            # Grader terms are stems: a rule change respells those it now
            # reaches, so that it never drops a function word by the way.
            # Words of the text that the old rules made a grader term get
            # their new stems listed too (removing the possessive rule keeps
            # "it's" out, as "it" kept it before).
            respelled = [result.stem(g) if self.stem(g) == g else g for g in self.sections["grader-tc"]]
            respelled += [result.stem(w) for w in self.excluded_words()]
            result.sections["grader-tc"] = list(dict.fromkeys(respelled))
        return result

    def excluded_words(self):
        """The vocabulary's words whose stems are grader terms, sorted."""
        if self._excluded_words is None:
            graders = set(self.sections["grader-tc"])
            self._excluded_words = sorted(w for w in self.vocabulary if self.stem(w) in graders)
        return self._excluded_words

    def stem(self, word):
        for rule in self.sections["step1_pre"]:
            match, _, replacement = rule.partition("|")
            if word.startswith(match):
                word = replacement + word[len(match):]
        for rule in self.sections["step1_post"]:
            match, _, replacement = rule.partition("|")
            if word.endswith(match):
                word = word[:len(word) - len(match)] + replacement
        return word

    def breaks(self, token):
        return (any(token.endswith(e) for e in self.sections["linebreak"])
                and not any(token.endswith(e) for e in self.sections["linedontbreak"]))


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


class Change:
    """One item added or removed; a family of items (ITEM holding several,
    separated by spaces, with a name) goes or comes as one change."""

    def __init__(self, op, section, item, position=None, name=None):
        self.op, self.section, self.item, self.position = op, section, item, position
        self.name = name

    def items(self):
        return self.item.split(" ") if self.name else [self.item]

    def __str__(self):
        where = "" if self.position is None else " (at %d)" % self.position
        what = "%s: %s" % (self.name, self.item) if self.name else '"%s"' % self.item
        return '%s%s %s%s' % ("+" if self.op == "add" else "-", self.section, what, where)


def save_with_comments(source, dictionary, output):
    """Writes SOURCE with the rule lists of DICTIONARY, keeping its comments
    and layout outside the sections; each section's items are rewritten into
    the first section of that name, ten a line."""
    parser = ET.XMLParser(target=ET.TreeBuilder(insert_comments=True))
    tree = ET.parse(source, parser)
    root = tree.getroot()
    for name in RULE_SECTIONS:
        elements = [e for e in root.iter() if e.tag == name]
        if not elements:
            elements = [ET.SubElement(root, name)]
            elements[0].tail = "\n"
        first = elements[0]
        depth = "  " * depth_of(root, first)
        for element in elements:
            for child in list(element):
                element.remove(child)
            element.text = None
        items = dictionary.sections[name]
        first.text = "\n" + depth + "  " if items else None
        for k, text in enumerate(items):
            child = ET.SubElement(first, "e")
            child.text = text
            last = k == len(items) - 1
            child.tail = "\n" + depth + ("" if last else "  ") if last or k % 10 == 9 else ""
    body = ET.tostring(root, encoding="unicode", short_empty_elements=False)
    pathlib.Path(output).write_text(prolog(pathlib.Path(source).read_text(encoding="utf-8"))
                                    + body + "\n", encoding="utf-8")


def depth_of(root, target, depth=0):
    if root is target:
        return depth
    for child in root:
        found = depth_of(child, target, depth + 1)
        if found is not None:
            return found
    return None


def prolog(text):
    """The declaration, comments and white space before the root element,
    which the element tree does not keep."""
    position = 0
    while True:
        start = text.find("<", position)
        if start < 0 or not text.startswith(("<?", "<!"), start):
            return text[:start] if start >= 0 else ""
        end = text.find("?>" if text.startswith("<?", start) else
                        ("-->" if text.startswith("<!--", start) else ">"), start)
        position = end + 1


# ---------------------------------------------------------------- corpus

def split_corpus(names, seed):
    """(tuning, validation): halves of NAMES chosen by seed, each sorted."""
    def digest(name):
        return hashlib.sha256(("%s:%s" % (seed, name)).encode("utf-8")).hexdigest()
    ordered = sorted(names, key=lambda n: (digest(n), n))
    half = (len(ordered) + 1) // 2
    return sorted(ordered[:half]), sorted(ordered[half:])


def corpus_names(corpus):
    docs, refs = corpus / "docs", corpus / "refs"
    if not docs.is_dir() or not refs.is_dir():
        raise SystemExit("tune_dictionary: %s needs docs/ and refs/ folders" % corpus)
    names = sorted(p.name for p in docs.iterdir() if p.is_file() and (refs / p.name).is_file())
    if len(names) < 4:
        raise SystemExit("tune_dictionary: %s holds fewer than 4 document/reference pairs" % corpus)
    return names


def make_half(corpus, names, folder):
    for sub in ("docs", "refs"):
        (folder / sub).mkdir(parents=True)
        for name in names:
            shutil.copyfile(corpus / sub / name, folder / sub / name)
    return folder


def tokenize(text):
    token, out = [], []
    for ch in text:
        if ch in SPACE:
            if token:
                out.append("".join(token))
                token = []
        else:
            token.append(ch)
    if token:
        out.append("".join(token))
    return out


def read_texts(folder):
    return [tokenize((folder / "docs" / n).read_text(encoding="utf-8", errors="replace"))
            for n in sorted(os.listdir(folder / "docs"))]


# ---------------------------------------------------------------- candidates

def twin(item):
    return item.replace("'", "’").replace('"', "”")


def is_mark(ch):
    return not ch.isalnum()


def candidates(dictionary, texts, options):
    """Candidate changes drawn from the texts, none already in the dictionary."""
    sections = dictionary.sections
    out = []
    deny = options.deny

    stem_count, stem_docs = Counter(), Counter()
    for tokens in texts:
        stems = [dictionary.stem(t) for t in tokens]
        stem_count.update(stems)
        stem_docs.update(set(stems))
    n = len(texts)
    graders = set(sections["grader-tc"])

    # Grader terms: frequent stems spread over the documents.
    added = 0
    for stem, _ in stem_count.most_common():
        if added >= options.top_stems:
            break
        if stem in graders or stem in deny or stem_docs[stem] < options.min_doc_share * n:
            continue
        out.append(Change("add", "grader-tc", stem))
        added += 1

    # Removals: every item of every section (duplicates once) that the text
    # gives something to do; removing the others could change nothing.
    tokens = set(t for ts in texts for t in ts)
    heads = set(t[:k] for t in tokens for k in range(1, 4))
    tails = set(t[-k:] for t in tokens for k in range(1, 5))

    def used(name, item):
        match = item.partition("|")[0]
        if name == "grader-tc":  # one that few documents hold cannot pass the test
            return stem_docs[item] >= options.min_doc_share * n / 2
        if name == "step1_pre":
            return len(match) > 3 or match in heads
        return len(match) > 4 or match in tails

    # An item written with straight quotes goes together with its twin in
    # typographic quotes ('s and ’s): one rule of the language, two spellings.
    for name in RULE_SECTIONS:
        items = list(dict.fromkeys(sections[name]))
        twins = {item: twin(item) for item in items if twin(item) != item and twin(item) in items}
        for item in items:
            if item in twins.values() or ("-" + item) in deny or not used(name, item):
                continue
            if item in twins:
                out.append(Change("remove", name, item + " " + twins[item], name="quote twins"))
            else:
                out.append(Change("remove", name, item))

    # Suffix rules: endings that join two stems seen in the text.
    letters = {s: c for s, c in stem_count.items() if s.isalpha() and s.islower()}
    endings = Counter()
    by_base = {}
    for stem, count in letters.items():
        for k in range(1, 5):
            base, ending = stem[:-k], stem[-k:]
            if len(base) >= 3:
                by_base.setdefault(base, set()).add(ending)
                if base in letters:
                    endings[ending] += min(count, letters[base])
    posts = set(sections["step1_post"])
    for ending, _ in endings.most_common(options.top_endings):
        if ending not in posts and ending not in deny:
            out.append(Change("add", "step1_post", ending))
    # The same endings as families: "Xe|X" for every letter X before which
    # the text shows the ending come and go on at least three stems and for
    # most occurrences of words in -Xe, so that a plural -s spares "this",
    # "was" or "thus", whose -s is no ending.
    for ending, _ in endings.most_common(options.top_families):
        bases, paired, total = Counter(), Counter(), Counter()
        for stem, count in letters.items():
            base = stem[:-len(ending)]
            if not stem.endswith(ending) or not base:
                continue
            total[base[-1]] += count
            if len(base) >= 2 and base in letters:
                bases[base[-1]] += 1
                paired[base[-1]] += count
        family = sorted(x for x in bases if bases[x] >= 3 and 2 * paired[x] >= total[x]
                        and x != ending[0])
        if len(family) > 1 and ("family " + ending) not in deny:
            rules = " ".join(x + ending + "|" + x for x in family)
            out.append(Change("add", "step1_post", rules, name="-%s after a letter" % ending))
    pairs = Counter()
    for base, ends in by_base.items():
        for a in ends:
            for b in ends:
                if len(a) > len(b) and not a.endswith(b) and base + a in letters and base + b in letters:
                    pairs[a + "|" + b] += min(letters[base + a], letters[base + b])
    for rule, _ in pairs.most_common(options.top_endings):
        if rule not in posts and rule not in deny:
            out.append(Change("add", "step1_post", rule))

    # Prefix rules: leading marks that stems still carry.
    leads = Counter()
    for stem, count in stem_count.items():
        if len(stem) > 1 and is_mark(stem[0]) and not is_mark(stem[1]):
            leads[stem[0]] += count
    pres = set(sections["step1_pre"])
    for lead, count in leads.most_common(options.top_marks):
        if lead + "|" not in pres and lead + "|" not in deny and count >= 5:
            out.append(Change("add", "step1_pre", lead + "|", 0))

    # Sentence endings: final marks of words before a capital that do not break.
    ends, nonends = Counter(), Counter()
    for tokens in texts:
        for word, following in zip(tokens, tokens[1:]):
            if dictionary.breaks(word):
                if following[0].islower() or following[0].isdigit():
                    nonends[word] += 1
            elif following[0].isupper() and len(word) > 1 and is_mark(word[-1]):
                tail = word[-1] if not is_mark(word[-2]) else word[-2:]
                ends[tail] += 1
    breaks = set(sections["linebreak"])
    for tail, count in ends.most_common(options.top_marks):
        if tail not in breaks and tail not in deny and count >= 5:
            out.append(Change("add", "linebreak", tail))
    keeps = set(sections["linedontbreak"])
    for word, count in nonends.most_common(options.top_marks):
        if word not in keeps and word not in deny and count >= 3:
            out.append(Change("add", "linedontbreak", word))
    # Abbreviations that the text writes with a full stop ("Dr.", "U.S.",
    # an initial "J."), wherever they stand: a non-ending keeps a name or
    # title with what follows it.
    proposed = set(c.item for c in out if c.section == "linedontbreak")
    shapes = Counter()
    for tokens in texts:
        for word in tokens:
            if dictionary.breaks(word) and is_abbreviation(word):
                shapes[word] += 1
    for word, count in shapes.most_common(options.top_marks):
        if word not in keeps and word not in deny and count >= 3 and word not in proposed:
            out.append(Change("add", "linedontbreak", word))

    # Word classes (auxiliaries, modal verbs, reporting verbs, ...), each
    # added or removed as a whole: a class whose members each move too few
    # documents may still show its effect together. Members are stemmed as
    # the dictionary stands and kept only when the text holds them.
    for label, words in options.groups:
        stems = list(dict.fromkeys(dictionary.stem(w) for w in words))
        seen = [s for s in stems if stem_docs[s] > 0]
        going = [s for s in seen if s in graders and ("-" + s) not in deny]
        coming = [s for s in seen if s not in graders and s not in deny]
        if len(going) > 1:
            out.append(Change("remove", "grader-tc", " ".join(going), name=label))
        if len(coming) > 1:
            out.append(Change("add", "grader-tc", " ".join(coming), name=label))
    return out


def is_abbreviation(word):
    """A capital and up to three lower-case consonants before a full stop
    ("Dr.", "Ltd.": no English word is spelled so), or one to three dotted
    letters ("J.", "U.S.")."""
    if not word.endswith("."):
        return False
    body = word[:-1]
    if (body.isalpha() and body[0].isupper() and len(body) <= 4
            and (len(body) == 1 or (body[1:].islower() and not set(body[1:].lower()) & set("aeiouy")))):
        return True
    letters = body.split(".")
    return 1 < len(letters) <= 3 and all(len(x) == 1 and x.isalpha() for x in letters)


# ---------------------------------------------------------------- scoring

class Evaluator:
    def __init__(self, cli, percent, workdir):
        self.cli, self.percent, self.workdir = cli, percent, workdir
        self.cache, self.serial = {}, 0

    def scores(self, dictionary, half):
        """Per-document F1 of each metric: {metric: [f1 per document]}."""
        xml = dictionary.to_xml()
        key = (hashlib.sha256(xml.encode("utf-8")).hexdigest(), str(half))
        if key in self.cache:
            return self.cache[key]
        self.serial += 1
        path = self.workdir / ("candidate-%d-%d.xml" % (os.getpid(), self.serial))
        path.write_text(xml, encoding="utf-8")
        try:
            run = subprocess.run(
                [self.cli, "evaluate", "--docs", str(half / "docs"), "--refs", str(half / "refs"),
                 "--dictionary", str(path), "--percent", str(self.percent), "--json"],
                capture_output=True, text=True, check=False)
        finally:
            path.unlink()
        if run.returncode != 0:
            raise SystemExit("tune_dictionary: vellumtrace evaluate failed:\n" + run.stderr)
        report = json.loads(run.stdout)
        documents = sorted(report["perDocument"], key=lambda d: d["name"])
        result = {m: [d["system"][m]["f1"] for d in documents] for m in METRICS}
        self.cache[key] = result
        return result


def mean(values):
    return sum(values) / len(values)


def paired(before, after):
    """(mean difference, standard error of the mean) of after - before."""
    d = [b - a for a, b in zip(before, after)]
    m = mean(d)
    if len(d) < 2:
        return m, 0.0
    variance = sum((x - m) ** 2 for x in d) / (len(d) - 1)
    return m, math.sqrt(variance / len(d))


def significant_gain(before, after, threshold, min_documents=1):
    """True when ROUGE-1 and ROUGE-2 both rise by more than THRESHOLD
    standard errors of their paired per-document differences, and the change
    moves the scores of at least MIN_DOCUMENTS documents."""
    moved = sum(1 for a, b in zip(before["rouge1"], after["rouge1"]) if a != b)
    if moved < min_documents:
        return False
    for metric in ("rouge1", "rouge2"):
        m, se = paired(before[metric], after[metric])
        if m <= 0 or m <= threshold * se:
            return False
    return True


def gain_text(before, after):
    parts = []
    for metric, label in (("rouge1", "R1"), ("rouge2", "R2")):
        m, se = paired(before[metric], after[metric])
        parts.append("%s %+.3f (se %.3f)" % (label, 100 * m, 100 * se))
    return ", ".join(parts)


def table_row(label, scores):
    return "%-24s %8.2f %8.2f %10.2f" % (label, *(100 * mean(scores[m]) for m in METRICS))


def print_table(title, rows):
    print(title)
    print("%-24s %8s %8s %10s" % ("F1 (%)", "ROUGE-1", "ROUGE-2", "ROUGE-Lsum"))
    for label, scores in rows:
        print(table_row(label, scores))
    sys.stdout.flush()


# ---------------------------------------------------------------- tuning

def screen(evaluator, current, changes, tuning, jobs):
    """Scores every change against CURRENT; returns [(change, scores)]."""
    def one(change):
        return change, evaluator.scores(current.apply(change), tuning)
    if jobs <= 1:
        return [one(c) for c in changes]
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        return list(pool.map(one, changes))


def applicable(current, change):
    """False for a removal of items already gone, or an addition of items
    already there (another change of the round did it)."""
    present = [i in current.sections[change.section] for i in change.items()]
    return all(present) if change.op == "remove" else not all(present)


def tune(evaluator, dictionary, tuning, validation, options, log=print):
    """Greedy search; returns (final dictionary, [(change, tuning gain, validation gain)])."""
    texts = read_texts(tuning)
    current = Dictionary(dictionary.sections, frozenset(w for ts in texts for w in ts))
    current_scores = evaluator.scores(current, tuning)
    kept = []
    for round_number in range(1, options.rounds + 1):
        changes = candidates(current, texts, options)
        log("round %d: %d candidates" % (round_number, len(changes)))
        screened = screen(evaluator, current, changes, tuning, options.jobs)
        promising = []
        for change, scores in screened:
            m1, se1 = paired(current_scores["rouge1"], scores["rouge1"])
            m2, se2 = paired(current_scores["rouge2"], scores["rouge2"])
            if m1 > 0 and m2 > 0:
                promising.append((min(m1 / (se1 or 1e-12), m2 / (se2 or 1e-12)), m1 + m2, change))
        promising.sort(key=lambda p: (-p[0], -p[1], str(p[2])))
        accepted_now = 0
        waiting = [change for _, _, change in promising]
        # Best first; after each kept change the ones rejected before it are
        # tried again against the changed dictionary (changes interact).
        retry = True
        while retry:
            retry = False
            for change in list(waiting):
                if not applicable(current, change):
                    waiting.remove(change)
                    continue
                candidate = current.apply(change)
                scores = evaluator.scores(candidate, tuning)
                if not significant_gain(current_scores, scores, options.threshold,
                                        options.min_documents):
                    continue
                waiting.remove(change)
                before_validation = evaluator.scores(current, validation)
                after_validation = evaluator.scores(candidate, validation)
                kept.append((change, gain_text(current_scores, scores),
                             gain_text(before_validation, after_validation)))
                log("  kept %-32s tuning %s | validation %s" % (change, kept[-1][1], kept[-1][2]))
                current, current_scores = candidate, scores
                accepted_now += 1
                retry = True
                break
        if accepted_now == 0:
            # Nothing passed: the closest misses, for whoever tunes next.
            log("closest to the line (rejected, against the tuned dictionary):")
            for z, _, change in promising[:options.show_rejected]:
                scores = evaluator.scores(current.apply(change), tuning)
                log("  %-34s %.2f se: tuning %s" % (str(change)[:34], z, gain_text(current_scores, scores)))
            break
    return current, kept


def parse_args(argv):
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(
        description=__doc__.split("\n\n")[0],
        epilog="How a change is judged: d = per-document F1 of the changed minus that of the\n"
               "current dictionary, on the tuning half. The change is kept only when mean(d)\n"
               "exceeds THRESHOLD standard errors sd(d)/sqrt(n) for ROUGE-1 and for ROUGE-2\n"
               "(a paired test; 1.645 is one-sided 5%) and at least MIN_DOCUMENTS documents\n"
               "changed score. The validation half never chooses anything.",
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--corpus", required=True, type=pathlib.Path,
                        help="folder with docs/ and refs/ of the same file names")
    parser.add_argument("--dictionary", required=True, type=pathlib.Path, help="dictionary to start from")
    parser.add_argument("--output", type=pathlib.Path,
                        help="write the tuned dictionary here (comments kept, changes appended)")
    parser.add_argument("--compare", type=pathlib.Path, metavar="XML",
                        help="no tuning: print both halves' scores for --dictionary and XML")
    parser.add_argument("--vellumtrace", default=os.environ.get(
        "VELLUMTRACE_CLI", str(root / "build" / "bin" / "vellumtrace")), help="the command to run")
    parser.add_argument("--seed", default="17", help="seed of the split (default 17)")
    parser.add_argument("--percent", type=int, default=25, help="summary length in percent (default 25)")
    parser.add_argument("--threshold", type=float, default=1.645,
                        help="standard errors a gain must exceed (default 1.645: one-sided 5%%)")
    parser.add_argument("--min-documents", type=int, default=10,
                        help="documents whose scores a kept change must move (default 10)")
    parser.add_argument("--rounds", type=int, default=3, help="candidate passes at most (default 3)")
    parser.add_argument("--top-stems", type=int, default=150, help="grader-term candidates (default 150)")
    parser.add_argument("--min-doc-share", type=float, default=0.1,
                        help="a grader-term candidate occurs in at least this share of documents")
    parser.add_argument("--top-endings", type=int, default=12, help="suffix-rule candidates of each kind")
    parser.add_argument("--top-families", type=int, default=4,
                        help="suffix-rule families (one ending after each letter seen) (default 4)")
    parser.add_argument("--top-marks", type=int, default=12,
                        help="prefix, sentence-ending and non-ending candidates of each kind")
    parser.add_argument("--deny", type=pathlib.Path,
                        help="file of items never to add (one a line; '-ITEM' never removes ITEM; "
                             "'#' starts a comment)")
    parser.add_argument("--groups", type=pathlib.Path,
                        help="file of word classes tried as one change each "
                             "('NAME: WORD WORD ...' a line; '#' starts a comment)")
    parser.add_argument("--show-rejected", type=int, default=8,
                        help="closest rejected candidates to list at the end (default 8)")
    parser.add_argument("--jobs", type=int, default=1, help="evaluations run at once (default 1)")
    options = parser.parse_args(argv)
    options.deny = read_deny(options.deny)
    options.groups = read_groups(options.groups)
    return options


def read_groups(path):
    """[(name, [word, ...])] from NAME: WORD WORD ... lines."""
    if path is None:
        return []
    groups = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        name, colon, words = line.partition(":")
        if not colon or not name.strip() or len(words.split()) < 2:
            raise SystemExit("tune_dictionary: %s:%d: want 'NAME: WORD WORD ...'" % (path, number))
        groups.append((name.strip(), words.split()))
    return groups


def read_deny(path):
    if path is None:
        return set()
    items = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            items.add(line)
    return items


def main(argv=None):
    options = parse_args(argv)
    cli = shutil.which(options.vellumtrace) or options.vellumtrace
    if not os.access(cli, os.X_OK):
        raise SystemExit("tune_dictionary: no vellumtrace command at %s (build it or pass --vellumtrace)"
                         % options.vellumtrace)
    names = corpus_names(options.corpus)
    tuning_names, validation_names = split_corpus(names, options.seed)
    start = Dictionary.load(options.dictionary)
    with tempfile.TemporaryDirectory(prefix="tune-dictionary-") as temp:
        work = pathlib.Path(temp)
        tuning = make_half(options.corpus, tuning_names, work / "tuning")
        validation = make_half(options.corpus, validation_names, work / "validation")
        evaluator = Evaluator(cli, options.percent, work)
        print("corpus %s: %d tuning, %d validation documents (seed %s), %d%% of the words"
              % (options.corpus, len(tuning_names), len(validation_names), options.seed,
                 options.percent))
        if options.compare:
            after = Dictionary.load(options.compare)
            kept = None
        else:
            after, kept = tune(evaluator, start, tuning, validation, options)
        rows = []
        for half_name, half in (("tuning", tuning), ("validation", validation)):
            rows.append(("%s, before" % half_name, evaluator.scores(start, half)))
            rows.append(("%s, after" % half_name, evaluator.scores(after, half)))
        print_table("%s -> %s" % (options.dictionary, options.compare or "tuned"), rows)
        for half_name, half in (("tuning", tuning), ("validation", validation)):
            print("%s gain: %s" % (half_name, gain_text(evaluator.scores(start, half),
                                                        evaluator.scores(after, half))))
        if kept is not None:
            print("accepted changes (%d), in order, with their paired gains:" % len(kept))
            for change, tuning_gain, validation_gain in kept:
                print("  %-34s tuning %s | validation %s" % (change, tuning_gain, validation_gain))
            if options.output:
                save_with_comments(options.dictionary, after, options.output)
                print("wrote %s" % options.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
