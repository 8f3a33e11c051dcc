// Rendering. HTML: the whole text, one sentence per line, the selected ones
// highlighted, every word followed by one space. Plain text: the selected
// sentences' words, each followed by one space, in text order.
#include "engine/summarizer_engine.h"
#include "output/html_escape.h"
#include "output/html_fragments.h"

namespace vellumtrace {

std::u16string SummarizerEngine::RenderSentenceHtml(
    const Sentence& sentence) const {
  std::u16string out(sentence.selected != 0 ? html::kSelectedOpener
                                            : html::kPlainOpener);
  for (const auto& word : sentence.words) {
    AppendHtmlEscaped(out, word->word);
    out += html::kWordSeparator;
  }
  out += html::kSentenceCloser;
  return out;
}

void SummarizerEngine::RenderHtml() {
  m_output.assign(html::kDocumentHead);
  m_output += html::kGeneratorComment;
  m_output += html::kTitleOpener;
  AppendHtmlEscaped(m_output, m_title);
  m_output += html::kTitleCloser;
  for (const auto& sentence : m_sentences) {
    m_output += RenderSentenceHtml(*sentence);
  }
  m_output += html::kDocumentEnd;
}

void SummarizerEngine::RenderPlainText() {
  for (const auto& sentence : m_sentences) {
    if (sentence->selected == 0) continue;
    for (const auto& word : sentence->words) {
      m_output += word->word;
      m_output += html::kWordSeparator;
    }
  }
}

}  // namespace vellumtrace
