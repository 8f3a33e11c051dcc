import pickle

import pytest

import vellumtrace


@pytest.mark.parametrize("sample,percent,form", [
    ("bees.txt", 20, "text"), ("bees.txt", 60, "html"),
    ("lighthouse.txt", 35, "text"), ("lighthouse.txt", 0, "html"),
])
def test_results_equal_the_command(source_dir, command, sample, percent, form):
    path = source_dir / "samples" / sample
    summary = vellumtrace.summarize(path.read_text("utf-8"), percent=percent, format=form)
    assert summary.text == command(path, "--percent", percent, "--format", form)


def test_sentences_are_byte_ranges_of_the_utf8_text():
    text = "Äpfel sind rot. Birnen sind gelb. Äpfel sind süß und Äpfel sind gut."
    summary = vellumtrace.summarize(text, percent=30)
    data = text.encode("utf-8")
    pieces = [data[s.start:s.end].decode("utf-8") for s in summary.sentences]
    assert pieces == ["Äpfel sind rot.", "Birnen sind gelb.", "Äpfel sind süß und Äpfel sind gut."]
    chosen = [p for p, s in zip(pieces, summary.sentences) if s.selected]
    assert chosen and summary.text.startswith("".join(w + " " for p in chosen for w in p.split()))
    assert summary.keywords[0].count >= summary.keywords[-1].count
    assert summary.title == [k.word for k in summary.keywords[:5]]


@pytest.mark.parametrize("text,kwargs,code,offset", [
    (b"ok \xff", {}, "invalid_utf8", 3),
    ("abcdef", {"max_length": 4}, "text_too_long", 4),
    ("x", {"dictionary": "not a dictionary"}, None, None),
    ("x", {"format": "pdf"}, None, None),
])
def test_bad_input_raises(text, kwargs, code, offset):
    with pytest.raises((vellumtrace.Error, TypeError, ValueError)) as raised:
        vellumtrace.summarize(text, **kwargs)
    if code is not None:
        assert raised.type is vellumtrace.Error
        assert (raised.value.code, raised.value.byte_offset) == (code, offset)


def test_dictionaries_load_fail_and_pickle(source_dir, tmp_path):
    english = vellumtrace.Dictionary.for_language("en")
    loaded = vellumtrace.Dictionary.load(str(source_dir / "dic" / "en.xml"))
    text = (source_dir / "samples" / "bees.txt").read_text("utf-8")
    assert vellumtrace.summarize(text, loaded).text == vellumtrace.summarize(text, english).text
    assert pickle.loads(pickle.dumps(english)).path == english.path
    for bad, code in [("../en", "invalid_argument"), ("zz", "dictionary_unavailable")]:
        with pytest.raises(vellumtrace.Error) as raised:
            vellumtrace.Dictionary.for_language(bad)
        assert raised.value.code == code
    broken = tmp_path / "broken.xml"
    broken.write_text("<not closed")
    with pytest.raises(vellumtrace.Error, match="broken.xml"):
        vellumtrace.Dictionary.load(str(broken))
