// Dictionary loader: one parse of the file per load, the reasons of
// failures, the growth limit, and the cache of clean loads.
#include "dictionary/dictionary_loader.h"

#include <string>
#include <utility>

#include "dictionary/dictionary_cache.h"
#include "dictionary/file_identity.h"
#include "dictionary/xml_reader.h"
#include "base/diagnostic.h"

namespace vellumtrace {

namespace {

// Passes the trace on and remembers that a reader call failed.
class WatchedDiagnostic final : public Diagnostic {
 public:
  explicit WatchedDiagnostic(Diagnostic& inner) : m_inner(inner) {}
  void WriteReaderFailure() override {
    m_failed = true;
    m_inner.WriteReaderFailure();
  }
  bool Failed() const { return m_failed; }

 private:
  Diagnostic& m_inner;
  bool m_failed = false;
};

std::u16string Digits(size_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

const std::shared_ptr<const CompiledDictionary>& EmptyDictionary() {
  static const auto empty = std::make_shared<const CompiledDictionary>();
  return empty;
}

DictionaryLoad Failure(DictionaryStatus status, std::u16string reason) {
  return {EmptyDictionary(), status, std::move(reason)};
}

}  // namespace

DictionaryLoad ReadDictionaryFile(const std::u16string& path, XmlReader& reader,
                                  Diagnostic& diagnostic) {
  std::unique_ptr<XmlDocument> document = reader.CreateDocument();
  if (!document) {
    diagnostic.WriteReaderFailure();
    return Failure(DictionaryStatus::kUnreadable, u"the XML reader could not be started");
  }
  switch (document->Load(path)) {
    case XmlDocument::LoadResult::kLoaded:
      break;
    case XmlDocument::LoadResult::kCallFailed:
      diagnostic.WriteReaderFailure();
      return Failure(DictionaryStatus::kUnreadable, u"the XML reader failed");
    case XmlDocument::LoadResult::kNotLoaded: {
      std::u16string reason = document->FailureReason();
      return Failure(DictionaryStatus::kUnreadable,
                     reason.empty() ? u"could not be loaded" : std::move(reason));
    }
  }
  LanguageDictionary lists;
  lists.ReadSections(*document, diagnostic);
  auto compiled = std::make_shared<const CompiledDictionary>(std::move(lists));
  if (compiled->RuleGrowth() > kMaxRuleGrowth) {
    return Failure(DictionaryStatus::kOverLimit,
                   u"over a limit: its prefix and suffix rules can lengthen a word by " +
                       Digits(compiled->RuleGrowth()) + u" code units in all, the limit is " +
                       Digits(kMaxRuleGrowth));
  }
  return {std::move(compiled), DictionaryStatus::kLoaded, {}};
}

DictionaryLoad LoadDictionary(const std::u16string& path, XmlReader& reader,
                              Diagnostic& diagnostic, DictionaryCache& cache) {
  // The identity is taken before the read: a change during the read then
  // shows as a new version on the next load.
  FileIdentity identity;
  const bool identified = reader.Identify(path, &identity);
  if (identified) {
    if (auto cached = cache.Find(path, identity)) {
      return {std::move(cached), DictionaryStatus::kLoaded, {}};
    }
  }
  WatchedDiagnostic watched(diagnostic);
  DictionaryLoad load = ReadDictionaryFile(path, reader, watched);
  if (identified && identity.settled && load.Loaded() && !watched.Failed()) {
    cache.Store(path, identity, load.dictionary);
  }
  return load;
}

void ReadSectionItems(XmlNode& section, RuleList& list, Diagnostic& diagnostic) {
  std::unique_ptr<XmlNodeList> children;
  int32_t count = 0;
  if (!section.GetChildNodes(&children) || !children || !children->GetLength(&count)) {
    diagnostic.WriteReaderFailure();
    return;
  }
  children->Reset();
  for (int32_t i = 0; i < count; ++i) {
    std::unique_ptr<XmlNode> child = children->GetItem(i);
    if (!child) continue;
    std::u16string text;
    if (child->GetText(&text)) list.push_back(std::move(text));
  }
}

bool ReadSection(XmlDocument& document, std::u16string_view name, RuleList& list,
                 Diagnostic& diagnostic) {
  std::unique_ptr<XmlNodeList> elements;
  int32_t count = 0;
  if (!document.GetElementsByTagName(std::u16string(name), &elements) || !elements ||
      !elements->GetLength(&count)) {
    diagnostic.WriteReaderFailure();
    return false;
  }
  elements->Reset();
  for (int32_t i = 0; i < count; ++i) {
    if (std::unique_ptr<XmlNode> element = elements->GetItem(i)) {
      ReadSectionItems(*element, list, diagnostic);
    }
  }
  return true;
}

}  // namespace vellumtrace
