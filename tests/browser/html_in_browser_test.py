#!/usr/bin/python3
"""Opens the HTML result of hostile texts in headless Chromium and checks
the page through its DOM: no script ran, no markup came from the text, every
word shows as written, and the highlighted spans are exactly the sentences
of the plain-text result. Keeps a screenshot of one page as an artifact.

Usage: html_in_browser_test.py --cli BINARY --dictionary XML --artifacts DIR
Exit 77 (skipped) when Chromium is not installed.
"""
import argparse
import html.parser
import os
import shutil
import signal
import subprocess
import sys
import tempfile

SKIPPED = 77
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync"]
# What a script smuggled in through the text would do if it ever ran.
RAN = "document.documentElement.setAttribute('data-ran','1')"
# The only elements the page is made of.
PAGE_ELEMENTS = {"html", "head", "title", "meta", "body", "font", "span"}


def long_text():
    """Sentences up to exactly 49,999 UTF-16 units, the longest text taken;
    the last word has a character outside the BMP (two units)."""
    words = ["Hive", "&amp;", "bees", "<b>store</b>", "\u200fhoney", "'near'",
             "\"the\"", "-->", "comb."]
    parts, units = [], 0
    while units + len(words[len(parts) % len(words)]) + 1 < 49999 - 4:
        word = words[len(parts) % len(words)]
        parts.append(word)
        units += len(word) + 1
    text = " ".join(parts) + " "
    text += "x" * (49999 - 2 - len(text)) + "\U0001F41D"
    assert len(text.encode("utf-16-le")) // 2 == 49999
    return text


CASES = {
    "script": "Bees hum. <script>" + RAN + "</script> bees hum loudly. "
              "<img src=x onerror=\"" + RAN + "\"> bees. Bees sleep at night.",
    "comments": "Comb --> ends here. <!-- hides bees? --!> again. Bees <!-- bees. "
                "Honey --> bees honey.",
    "title": "--!> bees --!> hum. --!> bees. <!-- bees --!>.",
    "entities": "Bees &amp; honey &lt;b&gt; bees. &#60;script&#62; honey &copy; bees. Wax &.",
    "quotes": "\"Bees\" say 'honey'. It's the bees' comb. \"Quote\" 'only'.",
    "right_to_left": "\u200fBees \u202ehoney\u202c fly. \u05d3\u05d1\u05d5\u05e8\u05d4 bees "
                     "\u200f\u0639\u0633\u0644. Bees \u200ehoney.",
    "long": long_text(),
}


class Dom(html.parser.HTMLParser):
    """The serialised DOM as elements, comments and the spans' texts."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.elements = []
        self.root_attributes = {}
        self.comments = []
        self.spans = []          # (highlighted, text)
        self.stray_text = ""     # text outside every span, bar white space
        self.open_span = None

    def handle_starttag(self, tag, attrs):
        self.elements.append(tag)
        if tag == "html":
            self.root_attributes = dict(attrs)
        if tag == "span":
            self.open_span = [dict(attrs).get("style", "") == "background:yellow;", ""]

    def handle_endtag(self, tag):
        if tag == "span" and self.open_span is not None:
            self.spans.append(tuple(self.open_span))
            self.open_span = None

    def handle_data(self, data):
        if self.open_span is not None:
            self.open_span[1] += data
        elif self.elements and self.elements[-1] != "title":
            self.stray_text += data.strip()

    def handle_comment(self, data):
        self.comments.append(data)


def run(command, timeout):
    """Runs a command in its own process group and ends that group on a
    timeout, so that no browser process outlives the test."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               start_new_session=True)
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise
    return process.returncode, out, err


def chromium(browser, profile, url, *extra):
    status, out, err = run([browser, *CHROMIUM_FLAGS, "--user-data-dir=" + profile, *extra, url],
                           timeout=120)
    if status != 0:
        raise RuntimeError("chromium failed (%d): %s" % (status, err.decode(errors="replace")[-2000:]))
    return out.decode("utf-8")


def summarise(cli, dictionary, path, form):
    status, out, err = run([cli, "--dictionary", dictionary, "--percent", "40", "--format", form,
                            path], timeout=60)
    if status != 0:
        raise RuntimeError("vellumtrace failed (%d): %s" % (status, err.decode()))
    return out.decode("utf-8")


def check_case(name, text, text_result, dom_source):
    failures = []
    dom = Dom()
    dom.feed(dom_source)
    dom.close()
    if "data-ran" in dom.root_attributes:
        failures.append("a script from the text ran")
    strange = set(dom.elements) - PAGE_ELEMENTS
    if strange:
        failures.append("elements from the text: %s" % sorted(strange))
    if dom.stray_text:
        failures.append("text outside the sentences: %r" % dom.stray_text[:200])
    if len(dom.comments) != 2:
        failures.append("%d comments instead of the generator and the title" % len(dom.comments))
    shown = "".join(t for _, t in dom.spans)
    if shown.split() != text.split():
        failures.append("the words shown differ from the text")
    if any(not t.endswith(" ") for _, t in dom.spans):
        failures.append("a sentence span lost its word separator")
    highlighted = "".join(t for lit, t in dom.spans if lit)
    if highlighted != text_result:
        failures.append("highlighted %r, plain-text result %r" % (highlighted[:200], text_result[:200]))
    if not text_result.strip():
        failures.append("no sentence chosen, so nothing checks the highlight")
    return ["%s: %s" % (name, f) for f in failures]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--dictionary", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    browser = shutil.which("chromium")
    if browser is None:
        print("chromium is not installed; skipped")
        return SKIPPED
    os.makedirs(args.artifacts, exist_ok=True)

    failures = []
    with tempfile.TemporaryDirectory(prefix="vellumtrace_browser_") as work:
        for name, text in CASES.items():
            source = os.path.join(work, name + ".txt")
            with open(source, "w", encoding="utf-8", newline="") as f:
                f.write(text)
            page = summarise(args.cli, args.dictionary, source, "html")
            page_path = os.path.join(work, name + ".html")
            with open(page_path, "w", encoding="utf-8", newline="") as f:
                f.write(page)
            text_result = summarise(args.cli, args.dictionary, source, "text")
            url = "file://" + page_path
            dom_source = chromium(browser, os.path.join(work, "profile_" + name), url, "--dump-dom")
            failures += check_case(name, text, text_result, dom_source)
            if name == "script":
                shutil.copy(page_path, os.path.join(args.artifacts, "sample.html"))
                chromium(browser, os.path.join(work, "profile_shot"), url,
                         "--window-size=900,500", "--hide-scrollbars",
                         "--screenshot=" + os.path.join(args.artifacts, "sample.png"))
            print("%s: %d units, checked" % (name, len(text.encode("utf-16-le")) // 2))
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
