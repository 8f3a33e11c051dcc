// vellumtrace._vellumtrace: the compiled half of the Python package. The
// package's __init__.py checks arguments and gives the public names; this
// file turns Python texts into the library's UTF-8 without a second copy,
// runs the library with the GIL released, and builds the result's Python
// objects only when they are asked for.
//
// Offsets are in the caller's units: code points for a str, bytes for
// bytes. A str is never decoded whole when it is over the length bound.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vellumtrace/summarize.h"

namespace py = pybind11;
using vellumtrace::Dictionary;
using vellumtrace::Status;
using vellumtrace::StatusCode;

namespace {

// ----- errors -------------------------------------------------------------

// The exception classes of vellumtrace._errors, looked up once.
struct ErrorTypes {
  py::object base, not_found, invalid_dictionary, invalid_text, too_long;
};

ErrorTypes& Errors() {
  static ErrorTypes types;
  return types;
}

[[noreturn]] void RaiseWith(const py::object& type, const std::string& message,
                            py::object offset = py::none()) {
  py::object error = offset.is_none() ? type(message) : type(message, offset);
  PyErr_SetObject(type.ptr(), error.ptr());
  throw py::error_already_set();
}

// Raises the exception a failed library call stands for; `offset` is the
// fault's place already in the caller's units.
[[noreturn]] void Raise(const Status& status, py::object offset = py::none()) {
  const std::string& message = status.message();
  switch (status.code()) {
    case StatusCode::kInvalidUtf8:
    case StatusCode::kNulInText:
      RaiseWith(Errors().invalid_text, message, std::move(offset));
    case StatusCode::kTextTooLong:
      RaiseWith(Errors().too_long, message, std::move(offset));
    case StatusCode::kDictionaryUnavailable:
      RaiseWith(Errors().not_found, message);
    case StatusCode::kDictionaryInvalid:
      RaiseWith(Errors().invalid_dictionary, message);
    case StatusCode::kInvalidArgument:
      throw py::value_error(message);
    case StatusCode::kOutOfMemory:
      throw std::bad_alloc();  // pybind11 raises MemoryError
    case StatusCode::kOk:
    case StatusCode::kInternal:
      break;
  }
  RaiseWith(Errors().base, message);
}

template <typename T>
T Take(vellumtrace::Result<T> result) {
  if (!result.ok()) Raise(result.status());
  return std::move(result).value();
}

// ----- texts --------------------------------------------------------------

// A text as the library takes it. `utf8` points into `owner` (the caller's
// bytes, a pure-ASCII str's own storage, or a temporary UTF-8 copy of any
// other str), which stays alive while the GIL is released.
struct Text {
  py::object source;  // what the caller passed
  py::object owner;
  std::string_view utf8;
  bool is_str = false;
  bool ascii = false;  // byte offsets are code-point indices
};

// Code-point index of each byte offset of a valid UTF-8 text, for offsets
// given in increasing order.
class CodePointCounter {
 public:
  explicit CodePointCounter(std::string_view utf8) : utf8_(utf8) {}
  size_t operator()(size_t byte) {
    // Eight bytes at a time: each byte but a continuation byte (10xxxxxx)
    // starts a code point.
    for (; byte_ + 8 <= byte && byte_ + 8 <= utf8_.size(); byte_ += 8) {
      uint64_t block;
      std::memcpy(&block, utf8_.data() + byte_, sizeof block);
      const uint64_t continuations = block & ~(block << 1) & 0x8080808080808080u;
      // One bit per byte, summed into the top byte (std::popcount is a
      // library call on the baseline x86-64 this module is built for).
      code_point_ += 8 - static_cast<size_t>(((continuations >> 7) * 0x0101010101010101u) >> 56);
    }
    for (; byte_ < byte && byte_ < utf8_.size(); ++byte_) {
      if ((static_cast<unsigned char>(utf8_[byte_]) & 0xC0) != 0x80) ++code_point_;
    }
    return code_point_;
  }

 private:
  std::string_view utf8_;
  size_t byte_ = 0;
  size_t code_point_ = 0;
};

constexpr Py_UCS4 kByteOrderMark = 0xFEFF;

[[noreturn]] void RaiseTooLong(size_t max_length, size_t offset, const char* unit) {
  RaiseWith(Errors().too_long,
            "the text is over the bound of " + std::to_string(max_length) +
                " UTF-16 code units from " + unit + " " + std::to_string(offset),
            py::int_(offset));
}

// The bound is counted in UTF-16 units after a leading byte-order mark, as
// the library counts it; only as much of the text is read as the bound
// allows.
void CheckStrLength(PyObject* text, size_t max_length) {
  if (max_length == 0) return;
  const Py_ssize_t length = PyUnicode_GET_LENGTH(text);
  const int kind = PyUnicode_KIND(text);
  const void* data = PyUnicode_DATA(text);
  const size_t base = length > 0 && PyUnicode_READ(kind, data, 0) == kByteOrderMark ? 1 : 0;
  if (static_cast<size_t>(length) - base <= max_length / 2) return;  // even all astral
  if (kind != PyUnicode_4BYTE_KIND) {
    if (static_cast<size_t>(length) - base > max_length) {
      RaiseTooLong(max_length, base + max_length, "index");
    }
    return;
  }
  size_t units = 0;
  for (Py_ssize_t i = static_cast<Py_ssize_t>(base); i < length; ++i) {
    units += PyUnicode_READ(kind, data, i) > 0xFFFF ? 2 : 1;
    if (units > max_length) RaiseTooLong(max_length, static_cast<size_t>(i), "index");
  }
}

void CheckBytesLength(std::string_view bytes, size_t max_length) {
  if (max_length == 0 || bytes.size() <= max_length) return;
  const size_t base = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  size_t units = 0;
  for (size_t i = base; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if ((byte & 0xC0) == 0x80) continue;  // inside a character
    units += byte >= 0xF0 ? 2 : 1;
    if (units > max_length) RaiseTooLong(max_length, i, "byte");
  }
}

// A lone surrogate cannot be written as UTF-8: the first fault of the str
// is either it or an earlier NUL.
[[noreturn]] void RaiseSurrogate(PyObject* text) {
  py::error_already_set encode_error;
  Py_ssize_t at = 0;
  if (encode_error.matches(PyExc_UnicodeEncodeError)) {
    PyUnicodeEncodeError_GetStart(encode_error.value().ptr(), &at);
  }
  const Py_ssize_t nul = PyUnicode_FindChar(text, 0, 0, at, 1);
  if (nul >= 0) {
    RaiseWith(Errors().invalid_text, "the text holds a NUL character at index " + std::to_string(nul),
              py::int_(nul));
  }
  RaiseWith(Errors().invalid_text,
            "the text holds a lone surrogate at index " + std::to_string(at), py::int_(at));
}

Text ReadText(const py::handle& object, size_t max_length) {
  Text text;
  text.source = py::reinterpret_borrow<py::object>(object);
  PyObject* raw = object.ptr();
  if (PyUnicode_Check(raw)) {
    text.is_str = true;
    CheckStrLength(raw, max_length);
    if (PyUnicode_IS_ASCII(raw)) {
      // The UTF-8 of an ASCII str is its own storage: no copy.
      Py_ssize_t size = 0;
      const char* data = PyUnicode_AsUTF8AndSize(raw, &size);
      if (data == nullptr) throw py::error_already_set();
      text.owner = text.source;
      text.utf8 = std::string_view(data, static_cast<size_t>(size));
      text.ascii = true;
    } else {
      // A temporary copy rather than the str's cached one, which would
      // stay with the caller's string for its whole life.
      PyObject* encoded = PyUnicode_AsUTF8String(raw);
      if (encoded == nullptr) RaiseSurrogate(raw);
      text.owner = py::reinterpret_steal<py::object>(encoded);
      text.utf8 = std::string_view(PyBytes_AS_STRING(encoded),
                                   static_cast<size_t>(PyBytes_GET_SIZE(encoded)));
    }
  } else if (PyBytes_Check(raw)) {
    text.owner = text.source;
    text.utf8 = std::string_view(PyBytes_AS_STRING(raw), static_cast<size_t>(PyBytes_GET_SIZE(raw)));
    CheckBytesLength(text.utf8, max_length);
  } else {
    throw py::type_error(std::string("the text must be str or bytes, not ") +
                         Py_TYPE(raw)->tp_name);
  }
  return text;
}

// ----- results ------------------------------------------------------------

// Plain values: equality, hash and pickling all go through Fields().
struct Sentence {
  static constexpr const char* kName = "Sentence";
  static constexpr size_t kFields = 5;
  size_t start = 0;
  size_t end = 0;
  std::int64_t grade = 0;
  bool selected = false;
  py::object text;

  py::tuple Fields() const { return py::make_tuple(start, end, grade, selected, text); }
  static Sentence FromFields(const py::tuple& t) {
    return Sentence{t[0].cast<size_t>(), t[1].cast<size_t>(), t[2].cast<std::int64_t>(),
                    t[3].cast<bool>(), py::reinterpret_borrow<py::object>(t[4])};
  }
};

struct Keyword {
  static constexpr const char* kName = "Keyword";
  static constexpr size_t kFields = 3;
  py::str word;
  py::str stem;
  std::int64_t count = 0;

  py::tuple Fields() const { return py::make_tuple(word, stem, count); }
  static Keyword FromFields(const py::tuple& t) {
    return Keyword{t[0].cast<py::str>(), t[1].cast<py::str>(), t[2].cast<std::int64_t>()};
  }
};

// __eq__, __hash__ and pickling of a plain value, from its fields.
template <typename Value>
void DefineValueMethods(py::class_<Value>& cls) {
  cls.def(
         "__eq__",
         [](const Value& a, const py::object& b) -> py::object {
           if (!py::isinstance<Value>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
           return py::bool_(a.Fields().equal(b.cast<const Value&>().Fields()));
         },
         "Equal when every field is.")
      .def(
          "__hash__", [](const Value& v) { return py::hash(v.Fields()); }, "The hash of the fields.")
      .def(py::pickle([](const Value& v) { return v.Fields(); },
                      [](const py::tuple& t) {
                        if (t.size() != Value::kFields) {
                          throw py::value_error(std::string("not a pickled vellumtrace.") +
                                                Value::kName);
                        }
                        return Value::FromFields(t);
                      }));
}

py::str Utf8ToStr(const std::string& utf8) {
  PyObject* str = PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
  if (str == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(str);
}

// The result of a run. The Python objects are made on first use from the
// library's result and the caller's text; an unpickled summary has only
// the Python objects.
class Summary {
 public:
  Summary() = default;
  Summary(vellumtrace::Summary core, py::object source)
      : core_(std::move(core)), source_(std::move(source)) {}

  const py::str& text() {
    if (!text_) text_ = Utf8ToStr(core_.text);
    return *text_;
  }
  const py::list& sentences() {
    if (!sentences_) {
      py::list list(core_.sentences.size());
      for (size_t i = 0; i < core_.sentences.size(); ++i) {
        const vellumtrace::SummarySentence& s = core_.sentences[i];
        py::object piece = source_[py::slice(static_cast<Py_ssize_t>(s.start),
                                             static_cast<Py_ssize_t>(s.end), 1)];
        list[i] = py::cast(Sentence{s.start, s.end, s.grade, s.selected, std::move(piece)});
      }
      sentences_ = std::move(list);
    }
    return *sentences_;
  }
  const py::list& keywords() {
    if (!keywords_) {
      py::list list(core_.keywords.size());
      for (size_t i = 0; i < core_.keywords.size(); ++i) {
        const vellumtrace::Keyword& k = core_.keywords[i];
        list[i] = py::cast(Keyword{Utf8ToStr(k.word), Utf8ToStr(k.stem), k.count});
      }
      keywords_ = std::move(list);
    }
    return *keywords_;
  }
  const py::list& title() {
    if (!title_) {
      py::list list(core_.title.size());
      for (size_t i = 0; i < core_.title.size(); ++i) list[i] = Utf8ToStr(core_.title[i]);
      title_ = std::move(list);
    }
    return *title_;
  }

  py::tuple State() {
    py::list sentences;
    for (const py::handle& s : this->sentences()) {
      const Sentence& sentence = s.cast<const Sentence&>();
      sentences.append(py::make_tuple(sentence.start, sentence.end, sentence.grade,
                                      sentence.selected, sentence.text));
    }
    py::list keywords;
    for (const py::handle& k : this->keywords()) {
      const Keyword& keyword = k.cast<const Keyword&>();
      keywords.append(py::make_tuple(keyword.word, keyword.stem, keyword.count));
    }
    return py::make_tuple(text(), sentences, keywords, py::list(title()));
  }
  static Summary FromState(const py::tuple& state) {
    if (state.size() != 4) throw py::value_error("not a pickled vellumtrace.Summary");
    Summary summary;
    summary.text_ = state[0].cast<py::str>();
    py::list sentences, keywords;
    for (const py::handle& s : state[1]) {
      auto t = s.cast<py::tuple>();
      sentences.append(py::cast(Sentence{t[0].cast<size_t>(), t[1].cast<size_t>(),
                                         t[2].cast<std::int64_t>(), t[3].cast<bool>(),
                                         py::reinterpret_borrow<py::object>(t[4])}));
    }
    for (const py::handle& k : state[2]) {
      auto t = k.cast<py::tuple>();
      keywords.append(py::cast(Keyword{t[0].cast<py::str>(), t[1].cast<py::str>(),
                                       t[2].cast<std::int64_t>()}));
    }
    summary.sentences_ = std::move(sentences);
    summary.keywords_ = std::move(keywords);
    summary.title_ = py::list(state[3]);
    return summary;
  }

 private:
  vellumtrace::Summary core_;
  py::object source_;
  std::optional<py::str> text_;
  std::optional<py::list> sentences_, keywords_, title_;
};

// Moves the library's byte offsets into the caller's units.
void ToCallerUnits(const Text& text, vellumtrace::Summary* summary) {
  if (!text.is_str || text.ascii) return;
  CodePointCounter count(text.utf8);
  for (vellumtrace::SummarySentence& s : summary->sentences) {
    s.start = count(s.start);
    s.end = count(s.end);
  }
}

[[noreturn]] void RaiseTextFault(const Text& text, const Status& status) {
  size_t offset = status.byte_offset();
  std::string message = status.message();
  if (text.is_str) {
    offset = CodePointCounter(text.utf8)(offset);
    if (status.code() == StatusCode::kNulInText) {
      message = "the text holds a NUL character at index " + std::to_string(offset);
    }
  }
  Raise(Status(status.code(), message, offset), py::int_(offset));
}

// ----- summarizers --------------------------------------------------------

vellumtrace::Options MakeOptions(double percent, size_t sentences, int format, size_t max_length) {
  vellumtrace::Options options;
  options.percent = percent;
  options.sentences = sentences;
  options.format = static_cast<vellumtrace::Format>(format);
  options.max_length = max_length;
  return options;
}

template <typename Run>
Summary RunOn(const py::handle& object, const vellumtrace::Options& options, Run run) {
  Text text = ReadText(object, options.max_length);
  vellumtrace::Result<vellumtrace::Summary> result = Status(StatusCode::kInternal, "not run");
  {
    py::gil_scoped_release release;
    result = run(text.utf8);
    if (result.ok()) ToCallerUnits(text, &result.value());
  }
  if (!result.ok()) {
    const StatusCode code = result.status().code();
    if (code == StatusCode::kInvalidUtf8 || code == StatusCode::kNulInText ||
        code == StatusCode::kTextTooLong) {
      RaiseTextFault(text, result.status());
    }
    Raise(result.status());
  }
  return Summary(std::move(result).value(), std::move(text.source));
}

// One library Summarizer and the options it was made with. Calls from
// several threads take turns on the lock (taken with the GIL released).
class KeptSummarizer {
 public:
  KeptSummarizer(const Dictionary& dictionary, double percent, size_t sentences, int format,
                 size_t max_length)
      : summarizer_(dictionary), options_(MakeOptions(percent, sentences, format, max_length)) {}

  Summary Summarize(const py::handle& text) {
    return RunOn(text, options_, [this](std::string_view utf8) {
      std::lock_guard<std::mutex> hold(lock_);
      return summarizer_.Summarize(utf8, options_);
    });
  }

 private:
  std::mutex lock_;
  vellumtrace::Summarizer summarizer_;
  vellumtrace::Options options_;
};

py::list CopyOf(const py::list& list) {
  PyObject* copy = PyList_GetSlice(list.ptr(), 0, PyList_GET_SIZE(list.ptr()));
  if (copy == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::list>(copy);
}

std::string Repr(const py::handle& object) { return py::repr(object).cast<std::string>(); }

}  // namespace

PYBIND11_MODULE(_vellumtrace, m) {
  m.doc() = "The compiled part of vellumtrace; use the vellumtrace package instead.";
  m.attr("__version__") = vellumtrace::Version();
  {
    py::module_ errors = py::module_::import("vellumtrace._errors");
    Errors() = {errors.attr("Error"), errors.attr("DictionaryNotFoundError"),
                errors.attr("DictionaryInvalidError"), errors.attr("InvalidTextError"),
                errors.attr("TextTooLongError")};
  }

  py::class_<Dictionary>(m, "_Dictionary", "A loaded dictionary (library handle).")
      .def_property_readonly(
          "path", [](const Dictionary& d) { return py::bytes(d.path()); },
          "The file it was loaded from, as bytes.");

  m.def(
      "load_dictionary",
      [](const py::bytes& path) {
        std::string file = path;
        vellumtrace::Result<Dictionary> result = Status();
        {
          py::gil_scoped_release release;
          result = Dictionary::Load(file);
        }
        return Take(std::move(result));
      },
      py::arg("path"), "Loads a dictionary file (path as bytes), the GIL released.");
  m.def(
      "dictionary_for_language",
      [](const std::string& code) {
        vellumtrace::Result<Dictionary> result = Status();
        {
          py::gil_scoped_release release;
          result = Dictionary::ForLanguage(code);
        }
        return Take(std::move(result));
      },
      py::arg("code"), "Loads the installed dictionary of a language, the GIL released.");
  m.def("languages", &Dictionary::Languages, "The codes of the installed languages, sorted.");
  m.def("data_folder", &Dictionary::DataFolder,
        "The folder whose dic/ holds the installed dictionaries ('' when none).");

  m.def(
      "summarize",
      [](const py::handle& text, const Dictionary& dictionary, double percent, size_t sentences,
         int format, size_t max_length) {
        const vellumtrace::Options options = MakeOptions(percent, sentences, format, max_length);
        return RunOn(text, options, [&](std::string_view utf8) {
          return vellumtrace::Summarize(dictionary, utf8, options);
        });
      },
      py::arg("text"), py::arg("dictionary"), py::arg("percent"), py::arg("sentences"),
      py::arg("format"), py::arg("max_length"),
      "One run through the calling thread's summarizer; arguments already checked.");

  // The benchmark's floor: the library alone over UTF-8 texts, no Python
  // objects, the GIL released.
  m.def(
      "library_seconds",
      [](const std::vector<std::string>& texts, const Dictionary& dictionary) {
        py::gil_scoped_release release;
        vellumtrace::Summarizer summarizer(dictionary);
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& text : texts) {
          if (!summarizer.Summarize(text).ok()) return -1.0;
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      },
      py::arg("texts"), py::arg("dictionary"),
      "Seconds one library Summarizer takes over UTF-8 texts (-1 when one fails).");

  py::class_<KeptSummarizer>(m, "_Summarizer", "A library Summarizer with its options.")
      .def(py::init<const Dictionary&, double, size_t, int, size_t>(), py::arg("dictionary"),
           py::arg("percent"), py::arg("sentences"), py::arg("format"), py::arg("max_length"))
      .def("__call__", &KeptSummarizer::Summarize, py::arg("text"), "Summarises one text.");

  py::class_<Sentence> sentence(m, "Sentence",
                       "One sentence of the input: text[start:end], its grade, and whether it\n"
                       "is part of the summary. Offsets are code-point indices for a str input\n"
                       "and byte offsets for bytes.");
  sentence.def_readonly("start", &Sentence::start, "Index of the sentence's first character (or byte).")
      .def_readonly("end", &Sentence::end, "Index just past its last character (or byte).")
      .def_readonly("grade", &Sentence::grade, "The sentence's grade: higher is more important.")
      .def_readonly("selected", &Sentence::selected, "True when the summary holds the sentence.")
      .def_readonly("text", &Sentence::text, "text[start:end] of the input, str or bytes like it.")
      .def(
          "__repr__",
          [](const Sentence& s) {
            return "Sentence(start=" + std::to_string(s.start) + ", end=" + std::to_string(s.end) +
                   ", grade=" + std::to_string(s.grade) +
                   ", selected=" + (s.selected ? "True" : "False") + ", text=" + Repr(s.text) + ")";
          },
          "The fields, as a constructor call would give them.");
  DefineValueMethods(sentence);

  py::class_<Keyword> keyword(m, "Keyword",
                      "An important word of the text: the first spelling met, its stem, and\n"
                      "how often the stem occurs.");
  keyword.def_readonly("word", &Keyword::word, "The word as first written in the text.")
      .def_readonly("stem", &Keyword::stem, "The stem its occurrences are counted under.")
      .def_readonly("count", &Keyword::count, "How often the stem occurs.")
      .def(
          "__repr__",
          [](const Keyword& k) {
            return "Keyword(word=" + Repr(k.word) + ", stem=" + Repr(k.stem) +
                   ", count=" + std::to_string(k.count) + ")";
          },
          "The fields, as a constructor call would give them.");
  DefineValueMethods(keyword);

  py::class_<Summary>(m, "Summary",
                      "The result of a summary: the text in the requested format, every\n"
                      "sentence of the input, the important words and the title words.\n"
                      "It keeps the input text for Sentence.text; pickles by value.")
      .def_property_readonly("text", &Summary::text,
                             "The summary in the requested format, exactly as the command writes it.")
      // Lists are the caller's to change: each read gives a new one.
      .def_property_readonly("sentences", [](Summary& s) { return CopyOf(s.sentences()); },
                             "Every sentence of the input (list of Sentence), in text order.")
      .def_property_readonly("keywords", [](Summary& s) { return CopyOf(s.keywords()); },
                             "The important words (list of Keyword), most frequent first.")
      .def_property_readonly("title", [](Summary& s) { return CopyOf(s.title()); },
                             "The title words (list of str): the leading keywords, at most five.")
      .def("__str__", &Summary::text, "The summary's text.")
      .def(
          "__eq__",
          [](Summary& a, const py::object& b) -> py::object {
            if (!py::isinstance<Summary>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            return py::bool_(a.State().equal(b.cast<Summary&>().State()));
          },
          "Equal when text, sentences, keywords and title are.")
      .def(
          "__repr__",
          [](Summary& s) {
            return "<vellumtrace.Summary of " + std::to_string(py::len(s.sentences())) +
                   " sentences: " + Repr(s.text()) + ">";
          },
          "A short description.")
      .def(py::pickle([](Summary& s) { return s.State(); },
                      [](const py::tuple& state) { return Summary::FromState(state); }));
}
