// Dictionary loader: two parses of the same file per run, the first for
// the grader terms, the second for the eight rule sections.
#include "dictionary/dictionary_loader.h"

#include <string>

#include "dictionary/language_dictionary.h"
#include "dictionary/section_names.h"
#include "dictionary/xml_reader.h"
#include "engine/alert.h"
#include "engine/summarizer_engine.h"

namespace vellumtrace {

std::unique_ptr<XmlDocument> OpenDictionaryDocument(XmlReader& reader,
                                                    Diagnostic& diagnostic) {
  std::unique_ptr<XmlDocument> document = reader.CreateDocument();
  if (!document) diagnostic.WriteReaderFailure();
  return document;
}

std::unique_ptr<XmlDocument> LoadDictionaryDocument(const std::u16string& path,
                                                    XmlReader& reader,
                                                    Diagnostic& diagnostic) {
  std::unique_ptr<XmlDocument> document = OpenDictionaryDocument(reader, diagnostic);
  if (!document) return nullptr;
  switch (document->Load(path)) {
    case XmlDocument::LoadResult::kLoaded:
      return document;
    case XmlDocument::LoadResult::kCallFailed:
      diagnostic.WriteReaderFailure();
      return nullptr;
    case XmlDocument::LoadResult::kNotLoaded:
      break;
  }
  return nullptr;
}

void ReadSectionItems(XmlNode& section, RuleList& list, Diagnostic& diagnostic) {
  std::unique_ptr<XmlNodeList> children;
  int32_t count = 0;
  if (!section.GetChildNodes(&children) || !children ||
      !children->GetLength(&count)) {
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

bool ReadSection(XmlDocument& document, std::u16string_view name,
                 RuleList& list, Diagnostic& diagnostic) {
  std::unique_ptr<XmlNodeList> elements;
  int32_t count = 0;
  if (!document.GetElementsByTagName(std::u16string(name), &elements) ||
      !elements || !elements->GetLength(&count)) {
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

void LanguageDictionary::ReadSections(XmlDocument& document,
                                      Diagnostic& diagnostic) {
  const struct {
    std::u16string_view name;
    RuleList* list;
  } sections[] = {
      {section::kStep1Pre, &m_step1_pre},   {section::kStep1Post, &m_step1_post},
      {section::kManual, &m_manual},        {section::kPre, &m_pre},
      {section::kPost, &m_post},            {section::kSynonyms, &m_synonyms},
      {section::kLinebreak, &m_linebreak},  {section::kLinedontbreak, &m_linedontbreak},
  };
  for (const auto& s : sections) {
    if (!ReadSection(document, s.name, *s.list, diagnostic)) return;
  }
}

int LanguageDictionary::LoadRuleSections(const std::u16string& path,
                                         XmlReader& reader,
                                         Diagnostic& diagnostic) {
  std::unique_ptr<XmlDocument> document =
      LoadDictionaryDocument(path, reader, diagnostic);
  if (!document) return 0;
  ReadSections(*document, diagnostic);
  return 1;
}

void LanguageDictionary::Clear() {
  for (RuleList* list : {&m_pre, &m_post, &m_step1_pre, &m_step1_post,
                         &m_synonyms, &m_manual, &m_linebreak, &m_linedontbreak}) {
    list->clear();
  }
  m_splitPre.clear();
  m_splitPost.clear();
}

int SummarizerEngine::LoadGraderTerms(const std::u16string& path) {
  std::unique_ptr<XmlDocument> document =
      LoadDictionaryDocument(path, *m_services.xmlReader, *m_services.diagnostic);
  if (!document) return 0;
  ReadSection(*document, section::kGraderTerms, m_grader_tc, *m_services.diagnostic);
  return 1;
}

int SummarizerEngine::LoadDictionary(const std::u16string& path) {
  if (LoadGraderTerms(path) == 0) {
    m_services.alert->Show(alert::kDictionaryNotFound, alert::kCaption);
    return 0;
  }
  return m_dictionary.LoadRuleSections(path, *m_services.xmlReader,
                                       *m_services.diagnostic);
}

}  // namespace vellumtrace
