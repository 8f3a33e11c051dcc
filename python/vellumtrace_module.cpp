// The Python module "vellumtrace": the C++ API with Python names. Texts
// may be str (offsets then refer to its UTF-8 form) or UTF-8 bytes.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>

#include "vellumtrace/summarize.h"

namespace py = pybind11;
using vellumtrace::Dictionary;

namespace {

const char* CodeName(vellumtrace::StatusCode code) {
  switch (code) {
    case vellumtrace::StatusCode::kOk: return "ok";
    case vellumtrace::StatusCode::kInvalidArgument: return "invalid_argument";
    case vellumtrace::StatusCode::kInvalidUtf8: return "invalid_utf8";
    case vellumtrace::StatusCode::kTextTooLong: return "text_too_long";
    case vellumtrace::StatusCode::kDictionaryUnavailable: return "dictionary_unavailable";
    case vellumtrace::StatusCode::kOutOfMemory: return "out_of_memory";
    case vellumtrace::StatusCode::kNulInText: return "nul_in_text";
    case vellumtrace::StatusCode::kDictionaryInvalid: return "dictionary_invalid";
    case vellumtrace::StatusCode::kInternal: break;
  }
  return "internal";
}

py::object& ErrorType() {
  static py::object type;
  return type;
}

// Raises vellumtrace.Error(message) with .code and .byte_offset set.
[[noreturn]] void Raise(const vellumtrace::Status& status) {
  py::object error = ErrorType()(status.message());
  error.attr("code") = CodeName(status.code());
  error.attr("byte_offset") = status.byte_offset();
  PyErr_SetObject(ErrorType().ptr(), error.ptr());
  throw py::error_already_set();
}

template <typename T>
T Take(vellumtrace::Result<T> result) {
  if (!result.ok()) Raise(result.status());
  return std::move(result).value();
}

const Dictionary& DefaultDictionary() {
  static const Dictionary dictionary = Take(Dictionary::ForLanguage("en"));
  return dictionary;
}

vellumtrace::Format FormatNamed(const std::string& name) {
  if (name == "text") return vellumtrace::Format::kText;
  if (name == "html") return vellumtrace::Format::kHtml;
  if (name == "json") return vellumtrace::Format::kJson;
  throw py::value_error("format must be 'text', 'html' or 'json', not '" + name + "'");
}

vellumtrace::Summary SummarizeText(const py::object& text, std::optional<Dictionary> dictionary,
                                   int percent, const std::string& format, size_t max_length) {
  std::string bytes;
  if (py::isinstance<py::bytes>(text)) {
    bytes = text.cast<std::string>();
  } else if (py::isinstance<py::str>(text)) {
    bytes = text.cast<std::string>();
  } else {
    throw py::type_error("text must be str or bytes");
  }
  vellumtrace::Options options;
  options.percent = percent;
  options.format = FormatNamed(format);
  options.max_length = max_length;
  const Dictionary& used = dictionary ? *dictionary : DefaultDictionary();
  vellumtrace::Result<vellumtrace::Summary> result = vellumtrace::Status();
  {
    py::gil_scoped_release release;
    result = vellumtrace::Summarize(used, bytes, options);
  }
  return Take(std::move(result));
}

}  // namespace

PYBIND11_MODULE(vellumtrace, m) {
  m.doc() = "Frequency-based extractive text summaries.";
  m.attr("__version__") = vellumtrace::Version();
  ErrorType() = py::reinterpret_borrow<py::object>(
      PyErr_NewException("vellumtrace.Error", PyExc_ValueError, nullptr));
  m.attr("Error") = ErrorType();

  py::class_<Dictionary>(m, "Dictionary", "A loaded language dictionary; shareable.")
      .def_static("load", [](const std::string& path) { return Take(Dictionary::Load(path)); },
                  py::arg("path"))
      .def_static("for_language",
                  [](const std::string& code) { return Take(Dictionary::ForLanguage(code)); },
                  py::arg("code"))
      .def_property_readonly("path", &Dictionary::path)
      .def("__repr__", [](const Dictionary& d) { return "<vellumtrace.Dictionary " + d.path() + ">"; })
      // Pickled by path, so that a dictionary can be sent to other processes.
      .def(py::pickle([](const Dictionary& d) { return py::make_tuple(d.path()); },
                      [](const py::tuple& state) {
                        return Take(Dictionary::Load(state[0].cast<std::string>()));
                      }));

  py::class_<vellumtrace::SummarySentence>(m, "Sentence")
      .def_readonly("start", &vellumtrace::SummarySentence::start)
      .def_readonly("end", &vellumtrace::SummarySentence::end)
      .def_readonly("grade", &vellumtrace::SummarySentence::grade)
      .def_readonly("selected", &vellumtrace::SummarySentence::selected)
      .def("__repr__", [](const vellumtrace::SummarySentence& s) {
        return "Sentence(start=" + std::to_string(s.start) + ", end=" + std::to_string(s.end) +
               ", grade=" + std::to_string(s.grade) +
               ", selected=" + (s.selected ? "True" : "False") + ")";
      });
  py::class_<vellumtrace::Keyword>(m, "Keyword")
      .def_readonly("word", &vellumtrace::Keyword::word)
      .def_readonly("stem", &vellumtrace::Keyword::stem)
      .def_readonly("count", &vellumtrace::Keyword::count)
      .def("__repr__", [](const vellumtrace::Keyword& k) {
        return "Keyword(word=" + py::repr(py::str(k.word)).cast<std::string>() +
               ", count=" + std::to_string(k.count) + ")";
      });
  py::class_<vellumtrace::Summary>(m, "Summary")
      .def_readonly("text", &vellumtrace::Summary::text)
      .def_readonly("sentences", &vellumtrace::Summary::sentences)
      .def_readonly("keywords", &vellumtrace::Summary::keywords)
      .def_readonly("title", &vellumtrace::Summary::title);

  m.def("summarize", &SummarizeText, py::arg("text"), py::arg("dictionary") = py::none(),
        py::arg("percent") = 20, py::arg("format") = "text", py::arg("max_length") = 49999,
        "Summarises text (str or UTF-8 bytes). The dictionary defaults to English.\n"
        "Raises vellumtrace.Error with .code and .byte_offset on bad input.");
}
