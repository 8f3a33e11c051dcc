// The ROUGE scores of two texts (summary, 0xFF, reference; UTF-8, lines
// split at line feeds) keep their invariants: every figure in 0..1, F1 the
// harmonic mean, ROUGE-N symmetric under swapping the sides, ROUGE-L of
// one line each likewise, a text against itself scoring 1, and ROUGE-Lsum
// never above ROUGE-1.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "evaluation/rouge.h"
#include "evaluation/rouge_tokenizer.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/utf8_codec_under_test.h"

using namespace vellumtrace;

namespace {

constexpr double kSlack = 1e-9;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Near(double a, double b) { return std::fabs(a - b) <= kSlack; }

void CheckScore(const RougeScore& s) {
  for (double v : {s.precision, s.recall, s.f1}) Check(std::isfinite(v) && v >= 0.0 && v <= 1.0);
  const double sum = s.precision + s.recall;
  Check(Near(s.f1, sum == 0.0 ? 0.0 : 2.0 * s.precision * s.recall / sum));
}

void CheckSwapped(const RougeScore& a, const RougeScore& b) {
  Check(Near(a.precision, b.recall) && Near(a.recall, b.precision) && Near(a.f1, b.f1));
}

struct Side {
  std::vector<RougeTokenList> lines;
  RougeTokenList tokens;
};

bool Parse(std::string_view bytes, Side* side) {
  std::u16string text;
  Utf8Error error;
  if (!DecodeUtf8(bytes, &text, &error)) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u'\n', start);
    RougeTokenList line =
        RougeTokens(std::u16string_view(text).substr(start, end == std::u16string::npos ? end : end - start));
    side->tokens.insert(side->tokens.end(), line.begin(), line.end());
    if (!line.empty()) side->lines.push_back(std::move(line));
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest = fuzz::AsView(data, size);
  Side summary, reference;
  if (!Parse(fuzz::TakePart(&rest), &summary) || !Parse(rest, &reference)) return 0;

  const RougeScore one = RougeN(summary.tokens, reference.tokens, 1);
  for (int n : {1, 2}) {
    const RougeScore forward = RougeN(summary.tokens, reference.tokens, n);
    CheckScore(forward);
    CheckSwapped(forward, RougeN(reference.tokens, summary.tokens, n));
    const RougeScore self = RougeN(summary.tokens, summary.tokens, n);
    Check(self.f1 == (summary.tokens.size() >= static_cast<size_t>(n) ? 1.0 : 0.0));
  }

  const RougeScore lsum = RougeLsum(summary.lines, reference.lines);
  CheckScore(lsum);
  Check(lsum.precision <= one.precision + kSlack && lsum.recall <= one.recall + kSlack);
  Check(RougeLsum(reference.lines, reference.lines).f1 == (reference.tokens.empty() ? 0.0 : 1.0));
  if (summary.lines.size() == 1 && reference.lines.size() == 1) {
    CheckSwapped(lsum, RougeLsum(reference.lines, summary.lines));
  }
  return 0;
}
