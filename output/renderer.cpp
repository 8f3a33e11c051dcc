// Rendering into one buffer, reserved for the whole result up front.
#include "output/html_escape.h"
#include "output/html_fragments.h"
#include "output/render.h"
#include "text/large_buffer.h"

namespace vellumtrace {

namespace {

// At least the units of a sentence's words and their separators, without
// reading the words: they lie apart in the text between the sentence's
// first word and the next sentence's (the closing word, one unit, just past
// the text's end).
size_t SentenceUnitsBound(const Article& article, size_t sentence) {
  const SentenceSpan& span = article.sentences[sentence];
  if (span.wordCount == 0) return 0;
  const size_t next = span.firstWord + span.wordCount;
  const size_t end = next < article.words.size() ? article.WordOffset(next) : article.text.size();
  return end - article.WordOffset(span.firstWord) + 1 + span.wordCount;
}

}  // namespace

void AppendSentenceWords(const Article& article, size_t sentence, std::u16string& out) {
  static_assert(html::kWordSeparator == u" ");
  const SentenceSpan& span = article.sentences[sentence];
  const std::u16string_view text = article.text;
  // Words that the text already separates by a single space are copied as
  // one piece; the piece ends where other white space (or none) follows.
  // A word follows its neighbour after a single space exactly when the unit
  // before it is a space and the one before that is not white space (so it
  // is the neighbour's last), which needs no scan for the neighbour's end.
  size_t w = span.firstWord;
  const size_t end = span.firstWord + span.wordCount;
  while (w < end) {
    if (article.IsSyntheticWord(w)) {
      out += u"  ";  // the closing word and its separator
      ++w;
      continue;
    }
    const size_t start = article.WordOffset(w);
    for (++w; w < end && !article.IsSyntheticWord(w); ++w) {
      const size_t next = article.WordOffset(w);
      if (text[next - 1] != u' ' || IsSpaceChar(text[next - 2])) break;
    }
    const size_t stop = TokenEnd(text, article.WordOffset(w - 1));
    out.append(text.substr(start, stop - start));
    out += html::kWordSeparator;
  }
}

void RenderPlainText(const Article& article, const Selection& selection, std::u16string& out) {
  size_t units = 0;
  for (size_t s = 0; s < article.sentences.size(); ++s) {
    if (selection[s] != 0) units += SentenceUnitsBound(article, s);
  }
  ReserveLarge(out, out.size() + units);
  for (size_t s = 0; s < article.sentences.size(); ++s) {
    if (selection[s] != 0) AppendSentenceWords(article, s, out);
  }
}

void RenderHtml(const Article& article, const Selection& selection, std::u16string_view title,
                std::u16string& out) {
  // Escapes only lengthen the text a little; one reserve covers the rest.
  ReserveLarge(out, out.size() + article.text.size() + article.words.size() + title.size() +
              article.sentences.size() * (html::kSelectedOpener.size() +
                                          html::kSentenceCloser.size()) +
              512);
  out += html::kDocumentHead;
  out += html::kGeneratorComment;
  out += html::kTitleOpener;
  AppendHtmlEscaped(out, title);
  out += html::kTitleCloser;
  for (size_t s = 0; s < article.sentences.size(); ++s) {
    out += selection[s] != 0 ? html::kSelectedOpener : html::kPlainOpener;
    const SentenceSpan& span = article.sentences[s];
    for (size_t w = span.firstWord; w < span.firstWord + span.wordCount; ++w) {
      AppendHtmlEscaped(out, article.Word(w));
      out += html::kWordSeparator;
    }
    out += html::kSentenceCloser;
  }
  out += html::kDocumentEnd;
}

}  // namespace vellumtrace
