"""The exceptions of vellumtrace: one tree rooted at Error, each class also
the built-in exception a Python caller would expect."""

__all__ = ["Error", "DictionaryNotFoundError", "DictionaryInvalidError",
           "InvalidTextError", "TextTooLongError"]


class Error(Exception):
    """The root of every exception vellumtrace raises for a failed summary
    or dictionary (argument errors are plain TypeError and ValueError)."""


class DictionaryNotFoundError(Error, OSError):
    """A dictionary file is missing or cannot be read, no dictionary is
    installed for a language, or the file a pickled Dictionary names is no
    longer the file it was loaded from."""


class DictionaryInvalidError(Error, ValueError):
    """A dictionary file is not well-formed XML or is over one of the
    dictionary limits."""


class InvalidTextError(Error, ValueError):
    """The text holds a NUL character, a lone surrogate (str) or invalid
    UTF-8 (bytes). ``offset`` is where, in the text's own units: a
    code-point index for a str, a byte offset for bytes."""

    def __init__(self, message, offset=None):
        super().__init__(message)
        #: Where the fault is: a code-point index (str) or byte offset (bytes).
        self.offset = offset


class TextTooLongError(Error, ValueError):
    """The text is longer than ``max_length`` UTF-16 code units. ``offset``
    is the first character (str) or byte (bytes) over the bound."""

    def __init__(self, message, offset=None):
        super().__init__(message)
        #: The first code-point index (str) or byte offset (bytes) over the bound.
        self.offset = offset
