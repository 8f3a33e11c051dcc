import ast
import inspect
import json
import math
import multiprocessing
import os
import pathlib
import pickle
import threading
import time

import pytest

import vellumtrace

UNICODE = "Äpfel sind rot. Birnen sind gelb. Äpfel sind süß und Äpfel sind gut."


@pytest.mark.parametrize("sample,args", [
    ("bees.txt", {"percent": 20}), ("bees.txt", {"percent": 60, "format": "html"}),
    ("lighthouse.txt", {"percent": 35}), ("lighthouse.txt", {"percent": 0, "format": "html"}),
    ("lighthouse.txt", {"percent": 100, "format": "json"}), ("bees.txt", {}),
    (None, {"percent": 50}),
])
def test_every_face_equals_the_command(source_dir, command, tmp_path, sample, args):
    path = source_dir / "samples" / sample if sample else tmp_path / "unicode.txt"
    if not sample:
        path.write_text(UNICODE + " Größere Äpfel fallen weit.", "utf-8")
    expected = command(path, *[f"--{k.replace('_', '-')}={v}" for k, v in args.items()])
    facts = json.loads(command(path, "--format=json"))
    keywords = [(k["word"], k["stem"], k["count"]) for k in facts["keywords"]]
    text = path.read_text("utf-8")
    keep = vellumtrace.Summarizer("en", **args)
    for run in (lambda t: vellumtrace.summarize(t, **args), keep, keep.summarize,
                lambda t: vellumtrace.summarize(t, "en", **args)):
        for given in (text, text.encode("utf-8")):
            summary = run(given)
            assert summary.text == expected, (run, type(given))
            assert [(k.word, k.stem, k.count) for k in summary.keywords] == keywords
            assert summary.title == facts["title"]


@pytest.mark.parametrize("text", [
    "Plain words. More words here.", UNICODE, "\ufeffA mark first. Then 🐝 buzz. 🐝 and 🐝 again.",
    "Ω≈ç√ 𝔘𝔫𝔦. Text ẞ here. Größe zählt viel.",
    "Größe zählt mehr als alles andere hier. abcdefghijklmnop é. qrstuvwxyzabcdefg ü. "
    "x🐝yzabcdefgh z. Ende.",
])
def test_offsets_are_in_the_units_of_the_input(text):
    as_str = vellumtrace.summarize(text, percent=50)
    as_bytes = vellumtrace.summarize(text.encode("utf-8"), percent=50)
    assert as_str.sentences and len(as_str.sentences) == len(as_bytes.sentences)
    data = text.encode("utf-8")
    for s, b in zip(as_str.sentences, as_bytes.sentences):
        assert text[s.start:s.end] == s.text and data[b.start:b.end] == b.text
        assert s.text.encode("utf-8") == b.text
        assert len(text[:s.start].encode("utf-8")) == b.start
        assert (s.grade, s.selected) == (b.grade, b.selected)
    assert as_str.text == as_bytes.text


def test_sentences_n_takes_the_best_graded_earlier_first():
    text = "One a. Two b b. Three c. " * 3 + "Apple apple apple pie. Pie apple."
    everything = vellumtrace.summarize(text, percent=100).sentences
    for n in range(1, len(everything) + 2):
        summary = vellumtrace.Summarizer(sentences=n)(text)
        order = sorted(range(len(everything)), key=lambda i: (-everything[i].grade, i))
        chosen = sorted(order[:n])
        assert [i for i, s in enumerate(summary.sentences) if s.selected] == chosen, n
        assert summary.text == "".join(w + " " for i in chosen
                                       for w in summary.sentences[i].text.split())


BAD_ARGUMENTS = [
    ({"percent": True}, TypeError), ({"percent": "20"}, TypeError), ({"percent": None}, None),
    ({"percent": -1}, ValueError), ({"percent": 100.5}, ValueError),
    ({"percent": math.nan}, ValueError), ({"percent": 20.5}, None), ({"percent": 0}, None),
    ({"sentences": 0}, ValueError), ({"sentences": True}, TypeError),
    ({"sentences": 2.0}, TypeError), ({"sentences": 2, "percent": 20}, TypeError),
    ({"format": 1}, TypeError), ({"format": "pdf"}, ValueError), ({"format": "json"}, None),
    ({"max_length": -1}, ValueError), ({"max_length": False}, TypeError),
    ({"max_length": 0}, None), ({"language": 5}, TypeError), ({"language": "../en"}, ValueError),
    ({"language": "zz"}, vellumtrace.DictionaryNotFoundError),
    ({"language": "en", "dictionary": None}, None),
    ({"dictionary": "dic/en.xml"}, TypeError),
    ({"language": "en", "dictionary": "d"}, TypeError),
]


@pytest.mark.parametrize("kwargs,raised", BAD_ARGUMENTS)
def test_arguments_are_checked_by_type_and_range(kwargs, raised):
    for make in (lambda: vellumtrace.summarize("Some words. More.", **kwargs),
                 lambda: vellumtrace.Summarizer(**kwargs)("Some words. More.")):
        if raised is None:
            assert make().sentences
        else:
            with pytest.raises(raised):
                make()


@pytest.mark.parametrize("text,max_length,raised,offset", [
    ("ab\ud800cd", 0, vellumtrace.InvalidTextError, 2),
    ("é\x00 \ud800", 0, vellumtrace.InvalidTextError, 1),     # the NUL comes first
    ("é\ud800 \x00", 0, vellumtrace.InvalidTextError, 1),
    ("Größe\x00", 0, vellumtrace.InvalidTextError, 5),
    ("Größe\x00".encode(), 0, vellumtrace.InvalidTextError, 7),
    (b"ok \xff", 0, vellumtrace.InvalidTextError, 3),
    ("x" * 10, 8, vellumtrace.TextTooLongError, 8),
    ("x" * 10 + "\ud800", 8, vellumtrace.TextTooLongError, 8),  # bound before content
    (b"x" * 10 + b"\xff", 8, vellumtrace.TextTooLongError, 8),
    ("🐝" * 5, 8, vellumtrace.TextTooLongError, 4),
    ("ab" + "🐝" * 4, 8, vellumtrace.TextTooLongError, 5),
    ("é" * 9, 8, vellumtrace.TextTooLongError, 8),
    ("🐝" * 5, 8, vellumtrace.TextTooLongError, 4),
    ("\ufeff" + "x" * 8, 8, None, None), ("🐝" * 4, 8, None, None),
    (b"\xef\xbb\xbf" + b"x" * 8, 8, None, None), ("é" * 8, 8, None, None),
    ("é".encode() * 8, 8, None, None), (b"\xf0\x9f\x90\x9d" * 5, 8, vellumtrace.TextTooLongError, 16),
    (5, 0, TypeError, None), (None, 0, TypeError, None), (bytearray(b"x"), 0, TypeError, None),
    (memoryview(b"x"), 0, TypeError, None), (["a"], 0, TypeError, None),
    (pathlib.Path("x.txt"), 0, TypeError, None),
])
def test_text_faults_raise_with_their_offset(text, max_length, raised, offset):
    for run in (lambda: vellumtrace.summarize(text, max_length=max_length),
                lambda: vellumtrace.Summarizer(max_length=max_length)(text)):
        if raised is None:
            run()
            continue
        with pytest.raises(raised) as caught:
            run()
        if offset is not None:
            assert caught.value.offset == offset
            assert isinstance(caught.value, vellumtrace.Error) and isinstance(caught.value, ValueError)
            copy = pickle.loads(pickle.dumps(caught.value))
            assert (type(copy), copy.offset, str(copy)) == (raised, offset, str(caught.value))


@pytest.mark.parametrize("error,builtin", [
    (vellumtrace.DictionaryNotFoundError, OSError), (vellumtrace.DictionaryInvalidError, ValueError),
    (vellumtrace.InvalidTextError, ValueError), (vellumtrace.TextTooLongError, ValueError),
])
def test_each_error_is_also_its_builtin(error, builtin):
    assert issubclass(error, vellumtrace.Error) and issubclass(error, builtin)
    assert not issubclass(error, RuntimeError)


def test_dictionaries_by_path_and_language(source_dir, tmp_path, monkeypatch):
    english = source_dir / "dic" / "en.xml"
    text = (source_dir / "samples" / "bees.txt").read_text("utf-8")
    expected = vellumtrace.summarize(text).text
    monkeypatch.chdir(source_dir)
    for given in (str(english), bytes(english), english, "dic/en.xml", pathlib.Path("dic/en.xml")):
        loaded = vellumtrace.Dictionary.load(given)
        assert loaded.path == str(english) and loaded.language is None
        assert vellumtrace.summarize(text, dictionary=loaded).text == expected
        assert vellumtrace.Summarizer(dictionary=loaded)(text).text == expected
    assert vellumtrace.Dictionary.for_language("en").language == "en"
    assert vellumtrace.languages() == sorted(p.stem for p in (source_dir / "dic").glob("*.xml"))
    for code in vellumtrace.languages():
        assert vellumtrace.Summarizer(code)(text).text == vellumtrace.summarize(text, code).text
    broken = tmp_path / "broken.xml"
    broken.write_text("<not closed")
    for path, raised in [(tmp_path / "none.xml", vellumtrace.DictionaryNotFoundError),
                         (broken, vellumtrace.DictionaryInvalidError), (5, TypeError),
                         (None, TypeError)]:
        with pytest.raises(raised, match=None if raised is TypeError else str(path)):
            vellumtrace.Dictionary.load(path)
    with pytest.raises(TypeError):
        vellumtrace.Dictionary()


def test_results_pickle_by_value():
    for text in (UNICODE, UNICODE.encode("utf-8")):
        summary = vellumtrace.summarize(text, percent=40)
        copy = pickle.loads(pickle.dumps(summary))
        assert copy == summary and copy is not summary
        assert (copy.text, copy.sentences, copy.keywords, copy.title) == \
            (summary.text, summary.sentences, summary.keywords, summary.title)
        assert copy.sentences[0].text == text[:copy.sentences[0].end]
        for item in summary.sentences + summary.keywords:
            assert pickle.loads(pickle.dumps(item)) == item and hash(item) == hash(item)
    summary.sentences.clear(), summary.keywords.clear(), summary.title.clear()
    assert summary.sentences and summary.keywords and summary.title  # each read a new list
    other = vellumtrace.summarize(UNICODE, percent=80)
    assert other != vellumtrace.summarize(UNICODE, percent=40)


def test_a_pickled_dictionary_is_the_same_file_or_an_error(source_dir, tmp_path, monkeypatch):
    own = tmp_path / "own.xml"
    own.write_bytes((source_dir / "dic" / "en.xml").read_bytes())
    monkeypatch.chdir(tmp_path)
    dictionary = vellumtrace.Dictionary.load("own.xml")
    keep = vellumtrace.Summarizer(dictionary=dictionary, sentences=2)
    pickled, pickled_keep = pickle.dumps(dictionary), pickle.dumps(keep)
    monkeypatch.chdir(source_dir)  # a worker elsewhere: the path is absolute
    assert pickle.loads(pickled) == dictionary
    assert pickle.loads(pickled_keep)(UNICODE) == keep(UNICODE)
    assert pickle.loads(pickled_keep).options == keep.options
    # Another file at the path, same size and time: refused, never used.
    status = own.stat()
    replacement = tmp_path / "replacement.xml"
    replacement.write_bytes(own.read_bytes())
    os.utime(replacement, ns=(status.st_atime_ns, status.st_mtime_ns))
    replacement.replace(own)
    for data in (pickled, pickled_keep):
        with pytest.raises(vellumtrace.DictionaryNotFoundError, match="own.xml"):
            pickle.loads(data)
    own.unlink()
    with pytest.raises(vellumtrace.DictionaryNotFoundError):
        pickle.loads(pickled)


def _summary_text(summary):
    return summary.text


def test_summarize_and_a_summarizer_serve_a_process_pool(source_dir):
    texts = [p.read_text("utf-8") for p in sorted((source_dir / "samples").glob("*.txt"))]
    texts += [UNICODE, UNICODE.encode("utf-8")]
    keep = vellumtrace.Summarizer("de", percent=50)
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        assert pool.map(vellumtrace.summarize, texts) == [vellumtrace.summarize(t) for t in texts]
        assert pool.map(keep, texts) == [keep(t) for t in texts]


def test_threads_share_a_summarizer_safely(source_dir):
    texts = [p.read_text("utf-8") for p in sorted((source_dir / "samples").glob("*.txt"))]
    texts = [t[i:] for t in texts for i in range(0, 400, 5)] + [UNICODE] * 20
    keep = vellumtrace.Summarizer()
    expected = [vellumtrace.summarize(t).text for t in texts]
    results = [None] * 4

    def work(slot):  # each thread in its own order, so the runs interleave
        order = list(range(slot * 7, len(texts))) + list(range(slot * 7))
        done = {i: keep(texts[i]).text for i in order}
        results[slot] = [done[i] for i in range(len(texts))]

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert results == [expected] * 4


def _big_dictionary(folder):
    terms = "".join(f"<e>term{i}</e>" for i in range(300_000))
    big = folder / "big.xml"
    big.write_text(f'<?xml version="1.0"?><dictionary language="xx"><linebreak><e>.</e>'
                   f"</linebreak><grader-tc>{terms}</grader-tc></dictionary>")
    return big


def _big_text():  # many distinct words: a long run
    return "".join(f"Word{i} and more{i % 997}. " for i in range(300_000))


@pytest.mark.parametrize("work", [
    lambda folder: vellumtrace.Dictionary.load(_big_dictionary(folder)),
    lambda folder: vellumtrace.summarize(_big_text(), max_length=0),
    lambda folder: vellumtrace.Summarizer(max_length=0)(_big_text().encode()),
], ids=["Dictionary.load", "summarize", "Summarizer"])
def test_the_gil_is_released_during_long_work(tmp_path, work):
    # The main thread, which needs only the GIL, must not stall for the
    # length of the work done on another thread.
    took = []

    def run():
        start = time.perf_counter()
        work(tmp_path)
        took.append(time.perf_counter() - start)

    worker = threading.Thread(target=run)
    last, stall = time.perf_counter(), 0.0
    worker.start()
    while worker.is_alive():
        now = time.perf_counter()
        stall, last = max(stall, now - last), now
    worker.join()
    assert took and took[0] > 0.05, "the work was too short to tell"
    assert stall < took[0] / 2, (stall, took[0])


def test_summarize_and_a_summarizer_serve_dask_workers(source_dir):
    distributed = pytest.importorskip("dask.distributed")
    texts = [p.read_text("utf-8") for p in sorted((source_dir / "samples").glob("*.txt"))]
    texts.append(UNICODE.encode("utf-8"))
    keep = vellumtrace.Summarizer("fr", sentences=2)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        one_shot = client.gather(client.map(vellumtrace.summarize, texts, percent=40))
        kept = client.gather(client.map(keep, texts))
    assert one_shot == [vellumtrace.summarize(t, percent=40) for t in texts]
    assert kept == [keep(t) for t in texts]


def _stub_tree():
    stub = pathlib.Path(vellumtrace.__file__).with_name("__init__.pyi")
    return ast.parse(stub.read_text("utf-8"))


def test_the_stub_docstrings_and_signatures_match_the_package():
    tree = _stub_tree()
    stubbed = {node.name: node for node in tree.body
               if isinstance(node, (ast.ClassDef, ast.FunctionDef))}
    assert set(stubbed) | {"__version__"} == set(vellumtrace.__all__)
    assert vellumtrace.__version__ == vellumtrace._vellumtrace.__version__
    assert (pathlib.Path(vellumtrace.__file__).with_name("py.typed")).is_file()

    def parameters(node):
        args = node.args
        return [a.arg for a in args.posonlyargs + args.args + args.kwonlyargs if a.arg != "self"]

    def check(name, runtime, node):
        assert inspect.getdoc(runtime), f"{name} has no docstring"
        if isinstance(node, ast.FunctionDef) and not any(
                isinstance(d, ast.Name) and d.id == "property" for d in node.decorator_list):
            signature = inspect.signature(runtime)
            assert [p for p in signature.parameters if p not in ("self", "cls")] == \
                [p for p in parameters(node) if p != "cls"], name

    for name, node in stubbed.items():
        runtime = getattr(vellumtrace, name)
        check(name, runtime, node)
        if isinstance(node, ast.ClassDef):
            for member in node.body:
                if isinstance(member, ast.FunctionDef) and member.name != "__init__":
                    check(f"{name}.{member.name}", getattr(runtime, member.name), member)
                elif isinstance(member, ast.FunctionDef):
                    check(name, runtime, member)


def test_summarize_follows_the_language_files_as_they_change(source_dir, tmp_path, monkeypatch):
    text = "One sentence here. Another sentence there. A third one."
    english = (source_dir / "dic" / "en.xml").read_bytes()
    no_breaks = b'<?xml version="1.0"?><dictionary language="en"></dictionary>'
    first, second = tmp_path / "a", tmp_path / "b"
    for folder, data in ((first, english), (second, no_breaks)):
        (folder / "dic").mkdir(parents=True)
        (folder / "dic" / "en.xml").write_bytes(data)
    steps = [  # (data folder, new contents of its en.xml or None, sentences or error)
        (first, None, 3), (second, None, 1), (first, no_breaks + b" ", 1),
        (first, english, 3), (first, b"", vellumtrace.DictionaryNotFoundError),
    ]
    for folder, contents, expected in steps:
        monkeypatch.setenv("VELLUMTRACE_DATA_DIR", str(folder))
        if contents == b"":
            (folder / "dic" / "en.xml").unlink()
        elif contents is not None:
            (folder / "dic" / "en.xml").write_bytes(contents)
        if isinstance(expected, int):
            assert len(vellumtrace.summarize(text).sentences) == expected, (folder, contents)
            assert vellumtrace.Dictionary.for_language().path == str(folder / "dic" / "en.xml")
        else:
            with pytest.raises(expected):
                vellumtrace.summarize(text)
