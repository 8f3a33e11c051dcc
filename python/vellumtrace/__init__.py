"""Frequency-based extractive text summaries.

    >>> import vellumtrace
    >>> summary = vellumtrace.summarize(text, percent=30)
    >>> summary.text, summary.keywords[0].word

Many texts: make one Summarizer and call it; it remembers what the
dictionary makes of each word it has seen, so later texts cost less.

    >>> summarize = vellumtrace.Summarizer("en", sentences=3)
    >>> [summarize(t).text for t in texts]

Texts are ``str`` or UTF-8 ``bytes``; offsets are in the text's own units
(code-point indices for a str, byte offsets for bytes). The GIL is released
while a summary is made and while a dictionary is read.
"""
import numbers
import os
import sys

from . import _errors
from ._errors import (DictionaryInvalidError, DictionaryNotFoundError, Error, InvalidTextError,
                      TextTooLongError)
from . import _vellumtrace
from ._vellumtrace import Keyword, Sentence, Summary

__version__ = _vellumtrace.__version__

__all__ = ["__version__", "summarize", "Summarizer", "Dictionary", "languages", "Summary",
           "Sentence", "Keyword", "Error", "DictionaryNotFoundError", "DictionaryInvalidError",
           "InvalidTextError", "TextTooLongError"]

for _type in (Summary, Sentence, Keyword, Error, DictionaryNotFoundError, DictionaryInvalidError,
              InvalidTextError, TextTooLongError):
    _type.__module__ = __name__
del _type

_FORMATS = {"text": 0, "html": 1, "json": 2}
_DEFAULT_LANGUAGE = "en"
_DEFAULT_PERCENT = 20
_DEFAULT_MAX_LENGTH = 49999


def _integer(name, value, least):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be an int, not {type(value).__name__}")
    if value < least:
        raise ValueError(f"{name} must be at least {least}, not {value}")
    return min(int(value), sys.maxsize)


def _options(percent, sentences, format, max_length):
    """The checked settings, in the order the compiled module takes them."""
    if sentences is not None:
        if percent is not None:
            raise TypeError("give percent or sentences, not both")
        sentences = _integer("sentences", sentences, 1)
        percent = _DEFAULT_PERCENT
    else:
        sentences = 0
        if percent is None:
            percent = _DEFAULT_PERCENT
        elif isinstance(percent, bool) or not isinstance(percent, numbers.Real):
            raise TypeError(f"percent must be an int or a float, not {type(percent).__name__}")
        elif not 0 <= percent <= 100:  # NaN fails too
            raise ValueError(f"percent must be within 0..100, not {percent!r}")
    if not isinstance(format, str):
        raise TypeError(f"format must be a str, not {type(format).__name__}")
    if format not in _FORMATS:
        raise ValueError(f"format must be 'text', 'html' or 'json', not {format!r}")
    return float(percent), sentences, _FORMATS[format], _integer("max_length", max_length, 0)


def _language_code(language):
    if language is None:
        return _DEFAULT_LANGUAGE
    if not isinstance(language, str):
        raise TypeError(f"language must be a str such as 'en', not {type(language).__name__}")
    return language


def _identity(path):
    """What tells one file from another at a path: None when there is none."""
    try:
        status = os.stat(path)
    except OSError:
        return None
    return (status.st_ino, status.st_size, status.st_mtime_ns)


class Dictionary:
    """A loaded language dictionary: the sentence endings, stemming rules and
    grader terms a summary is made with. Immutable; any number of threads
    and summarizers may share one.

    Make one with Dictionary.load(path) or Dictionary.for_language(code).
    A Dictionary pickles as its absolute path and the identity of its file
    (inode, size, modification time): unpickling loads that file again and
    raises DictionaryNotFoundError when the file found there is not the
    one that was loaded, so a worker never summarises with another
    dictionary than its parent's.
    """

    __slots__ = ("_handle", "_path", "_identity", "_language")

    def __init__(self):
        raise TypeError("use Dictionary.load(path) or Dictionary.for_language(code)")

    @classmethod
    def _make(cls, handle, language):
        dictionary = object.__new__(cls)
        dictionary._handle = handle
        dictionary._path = os.path.abspath(os.fsdecode(handle.path))
        dictionary._identity = _identity(dictionary._path)
        dictionary._language = language
        return dictionary

    @classmethod
    def _open(cls, path, language):
        # A file replaced during the read would leave the identity of the
        # new file on the old contents: read again until they agree.
        for _ in range(3):
            before = _identity(path)
            handle = _vellumtrace.load_dictionary(os.fsencode(path))
            dictionary = cls._make(handle, language)
            if dictionary._identity == before:
                break
        return dictionary

    @classmethod
    def load(cls, path):
        """Loads the dictionary file at ``path`` (str, bytes or os.PathLike).

        A relative path is made absolute first. Raises DictionaryNotFoundError
        (an OSError) when the file is missing or unreadable and
        DictionaryInvalidError (a ValueError) when it is not a well-formed
        dictionary. The GIL is released while the file is read.
        """
        if not isinstance(path, (str, bytes, os.PathLike)):
            raise TypeError(f"path must be str, bytes or os.PathLike, not {type(path).__name__}")
        return cls._open(os.path.abspath(os.fsdecode(os.fspath(path))), None)

    @classmethod
    def for_language(cls, language="en"):
        """Loads the installed dictionary for a language code such as "en"
        (see languages()). Raises DictionaryNotFoundError when there is none,
        ValueError for a code that looks like a path."""
        code = _language_code(language)
        return cls._open(os.fsdecode(_vellumtrace.dictionary_for_language(code).path), code)

    @property
    def path(self):
        """The absolute path of the file the dictionary was loaded from."""
        return self._path

    @property
    def language(self):
        """The language code it was loaded for, or None when loaded by path."""
        return self._language

    def __repr__(self):
        """The class and the file."""
        return f"<vellumtrace.Dictionary {self._path!r}>"

    def __eq__(self, other):
        """Equal when loaded from the same path and the same file there."""
        if not isinstance(other, Dictionary):
            return NotImplemented
        return (self._path, self._identity) == (other._path, other._identity)

    def __hash__(self):
        """The hash of the path and the file's identity."""
        return hash((self._path, self._identity))

    def __reduce__(self):
        """Pickles as the absolute path, the file's identity and the language."""
        return _restore_dictionary, (self._path, self._identity, self._language)


def _restore_dictionary(path, identity, language):
    dictionary = Dictionary._open(path, language)
    if dictionary._identity != identity:
        raise DictionaryNotFoundError(
            f"{path} is no longer the dictionary file that was pickled "
            "(it was changed or replaced)")
    return dictionary


# The file of each language, by code and VELLUMTRACE_DATA_DIR: finding the
# installed data costs several times more than loading a file through the
# library's cache, which still notices a changed file by its identity.
_language_files = {}


def _language_handle(code):
    key = (code, os.environ.get("VELLUMTRACE_DATA_DIR"))
    path = _language_files.get(key)
    if path is not None:
        try:
            return _vellumtrace.load_dictionary(path)
        except DictionaryNotFoundError:
            pass  # removed since: look again
    handle = _vellumtrace.dictionary_for_language(code)
    _language_files[key] = handle.path
    return handle


def _dictionary_handle(language, dictionary):
    """The library dictionary for a language= or dictionary= argument."""
    if dictionary is None:
        return _language_handle(_language_code(language))
    if language is not None:
        raise TypeError("give language or dictionary, not both")
    if not isinstance(dictionary, Dictionary):
        raise TypeError(f"dictionary must be a vellumtrace.Dictionary, not "
                        f"{type(dictionary).__name__} (use language= or Dictionary.load)")
    return dictionary._handle


def languages():
    """The codes of the installed languages, sorted (for example ['de', 'en'])."""
    return _vellumtrace.languages()


def summarize(text, language=None, *, dictionary=None, percent=None, sentences=None,
              format="text", max_length=_DEFAULT_MAX_LENGTH):
    """Summarises ``text`` (str, or UTF-8 bytes; a leading byte-order mark
    is ignored) and returns a Summary.

    language:   an installed language code; "en" when neither it nor
                ``dictionary`` is given.
    dictionary: a Dictionary, instead of ``language``.
    percent:    share of the words to keep, int or float in 0..100
                (default 20): the best sentences, earlier first on ties,
                until they hold at least that share.
    sentences:  instead of ``percent``, the number (>= 1) of best sentences.
    format:     "text", "html" or "json": the form of Summary.text, exactly
                as the command writes it.
    max_length: longest text accepted in UTF-16 code units; 0 lifts the bound.

    Raises TypeError and ValueError for wrong arguments, InvalidTextError for
    a NUL, a lone surrogate or invalid UTF-8 (with its offset),
    TextTooLongError when over ``max_length`` (checked before the text is
    converted), DictionaryNotFoundError and DictionaryInvalidError for the
    dictionary. Safe from any number of threads; to summarise many texts,
    a Summarizer is faster.
    """
    handle = _dictionary_handle(language, dictionary)
    return _vellumtrace.summarize(text, handle, *_options(percent, sentences, format, max_length))


class Summarizer:
    """Summarises many texts with one dictionary and one set of options.

        summarize = Summarizer("en", percent=30)
        summary = summarize(text)        # or summarize.summarize(text)

    The arguments are those of vellumtrace.summarize(), checked once here.
    It remembers what the dictionary makes of each word it has seen, so the
    second and later texts cost less; results equal summarize()'s exactly.
    The dictionary is read once, when the Summarizer is made.

    Threads: calls from several threads are safe but take turns; give each
    thread its own Summarizer to run them in parallel. A Summarizer pickles
    as its dictionary (see Dictionary) and options, so it can be sent to
    multiprocessing or dask.distributed workers.
    """

    __slots__ = ("_run", "_dictionary", "_settings")

    def __init__(self, language=None, *, dictionary=None, percent=None, sentences=None,
                 format="text", max_length=_DEFAULT_MAX_LENGTH):
        if dictionary is None:
            dictionary = Dictionary.for_language(_language_code(language))
        else:
            _dictionary_handle(language, dictionary)  # checks the pair
        options = _options(percent, sentences, format, max_length)
        self._dictionary = dictionary
        self._settings = {"percent": percent, "sentences": sentences, "format": format,
                          "max_length": max_length}
        self._run = _vellumtrace._Summarizer(dictionary._handle, *options)

    def __call__(self, text):
        """Summarises one text (str or UTF-8 bytes) and returns a Summary."""
        return self._run(text)

    def summarize(self, text):
        """Summarises one text (str or UTF-8 bytes) and returns a Summary;
        the same as calling the Summarizer."""
        return self._run(text)

    @property
    def dictionary(self):
        """The Dictionary every call uses."""
        return self._dictionary

    @property
    def options(self):
        """The options it was made with, as keyword arguments (a new dict)."""
        return dict(self._settings)

    def __repr__(self):
        """The dictionary and the options given."""
        given = ", ".join(f"{k}={v!r}" for k, v in self._settings.items() if v is not None)
        return f"vellumtrace.Summarizer(dictionary={self._dictionary!r}, {given})"

    def __reduce__(self):
        """Pickles as the dictionary (see Dictionary) and the options."""
        return _restore_summarizer, (self._dictionary, self._settings)


def _restore_summarizer(dictionary, settings):
    return Summarizer(dictionary=dictionary, **settings)
