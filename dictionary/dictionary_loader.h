#ifndef VELLUMTRACE_DICTIONARY_DICTIONARY_LOADER_H_
#define VELLUMTRACE_DICTIONARY_DICTIONARY_LOADER_H_

#include <memory>
#include <string>
#include <string_view>

#include "dictionary/compiled_dictionary.h"
#include "dictionary/rule_list.h"

namespace vellumtrace {

class DictionaryCache;
class Diagnostic;
class XmlDocument;
class XmlNode;
class XmlReader;

// How a dictionary load ended.
enum class DictionaryStatus {
  kLoaded,
  kUnreadable,  // missing, not a regular file, malformed, or the reader failed
  kOverLimit,   // well-formed, but over one of the dictionary limits
};

// A load's outcome: always a dictionary (the empty one after a failure), and
// for a failure the reason in a few words, e.g. "not well-formed at line 3,
// column 7".
struct DictionaryLoad {
  std::shared_ptr<const CompiledDictionary> dictionary;
  DictionaryStatus status = DictionaryStatus::kUnreadable;
  std::u16string reason;

  bool Loaded() const { return status == DictionaryStatus::kLoaded; }
};

// Reads the file at `path` once: the grader terms and the eight rule
// sections come from one parsed document. Every failing reader call writes
// the diagnostic.
DictionaryLoad ReadDictionaryFile(const std::u16string& path, XmlReader& reader,
                                  Diagnostic& diagnostic);

// As ReadDictionaryFile, but through `cache`: a file whose version (as the
// reader identifies it) was already compiled is not read again. Only clean
// loads are kept (no failure, no failing reader call), so every observable
// effect of a failed or troubled read recurs on each load.
DictionaryLoad LoadDictionary(const std::u16string& path, XmlReader& reader,
                              Diagnostic& diagnostic, DictionaryCache& cache);

// Appends the items of every element named `name` to `list`, in document
// order. Returns false, after writing the diagnostic, when the elements
// cannot be had.
bool ReadSection(XmlDocument& document, std::u16string_view name, RuleList& list,
                 Diagnostic& diagnostic);
// Appends the text of every child node of `section` to `list`.
void ReadSectionItems(XmlNode& section, RuleList& list, Diagnostic& diagnostic);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_DICTIONARY_LOADER_H_
