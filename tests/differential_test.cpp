// Differential check of whole runs: a seeded generator makes texts and
// dictionaries of every kind the engine meets, and each run's result, dumps,
// alerts and traces must hash to what the engine gave before its rewrite
// (tests/differential/expected.txt). Set VELLUMTRACE_RECORD_DIFFERENTIAL=1
// to rewrite that file from the engine under test; do so only on purpose.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/summarizer_engine.h"
#include "tests/differential/engine_adapter.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"
#include "text/utf_codec.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

constexpr int kCases = 320;
constexpr uint64_t kSeed = 0x5EED'2026'0007ULL;

// Stable across platforms and library versions, unlike std::hash.
uint64_t Fnv1a(uint64_t hash, const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

uint64_t HashUnits(uint64_t hash, std::u16string_view text) {
  for (char16_t c : text) {
    const unsigned char pair[2] = {static_cast<unsigned char>(c & 0xFF),
                                   static_cast<unsigned char>(c >> 8)};
    hash = Fnv1a(hash, pair, 2);
  }
  const uint64_t size = text.size();
  return Fnv1a(hash, &size, sizeof size);
}

// Raw engine draws only: the standard distributions differ between
// library implementations.
class Draw {
 public:
  explicit Draw(uint64_t seed) : m_random(seed) {}
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(m_random() % n); }
  bool Chance(uint32_t percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) { return from[Below(static_cast<uint32_t>(from.size()))]; }

 private:
  std::mt19937_64 m_random;
};

const std::vector<std::u16string> kStems = {
    u"cat", u"dog", u"run", u"the", u"a", u"party", u"see", u"Mr", u"end", u"word",
    u"b\u00E9b\u00E9", u"stra\u00DFe", u"\u65E5\u672C", u"\U0001F600x", u"x\U00010348",
    u"\u0645\u0631\u062D\u0628\u0627", u"&amp", u"<b>", u"q\"t", u"o'k", u"|", u"a|b", u"--"};
const std::vector<std::u16string> kEndings = {
    u"", u"", u"", u"s", u"es", u"ies", u"ing", u",", u".", u".\"", u"?", u"!", u";",
    u"...", u")", u"'s", u"|", u"\u00A0", u"\u3002"};
const std::vector<std::u16string> kSpaces = {
    u" ", u" ", u" ", u"  ", u"\t", u"\n", u"\r\n", u"\v", u"\f", u"\n\n", u" \t "};

std::u16string MakeWord(Draw& draw) {
  std::u16string word;
  if (draw.Chance(8)) word += draw.Pick(std::vector<std::u16string>{u"(", u"\"", u"un", u"re"});
  word += draw.Pick(kStems);
  if (draw.Chance(10)) word[0] = static_cast<char16_t>(word[0] & ~0x20);
  word += draw.Pick(kEndings);
  if (draw.Chance(2)) word += u'\xD800';  // a lone surrogate
  return word;
}

std::u16string MakeText(Draw& draw) {
  std::u16string text;
  if (draw.Chance(30)) text += draw.Pick(kSpaces);
  const uint32_t words = draw.Chance(5) ? 0 : 1 + draw.Below(draw.Chance(20) ? 400 : 60);
  for (uint32_t i = 0; i < words; ++i) {
    // Repeated words make the counts and the memo caches matter.
    text += MakeWord(draw);
    text += draw.Pick(kSpaces);
  }
  if (draw.Chance(10)) text += draw.Pick(kSpaces);
  return text;
}

std::string Utf8(std::u16string_view text) { return EncodeUtf8(text); }

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

// A rule or item: plain, with a bar, empty, deleting, lengthening, or
// holding quotes and bars.
std::u16string MakeRule(Draw& draw) {
  static const std::vector<std::u16string> parts = {
      u"", u"s", u"es", u"ies", u"y", u"ing", u",", u".", u"'", u"\"", u"(", u")",
      u"un", u"re", u"e", u"ab", u"\u00E9", u"\U0001F600", u"|", u"\"|", u"'\"|\"'"};
  std::u16string rule = draw.Pick(parts);
  if (draw.Chance(70)) rule += u'|' + draw.Pick(parts);
  if (draw.Chance(10)) rule += draw.Pick(parts);
  return rule;
}

std::string MakeDictionary(Draw& draw) {
  static const char* sections[] = {"linebreak", "linedontbreak", "step1_pre",  "step1_post",
                                   "grader-tc", "manual",        "pre",        "post",
                                   "synonyms"};
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<dictionary>\n";
  const uint32_t blocks = 1 + draw.Below(12);
  for (uint32_t b = 0; b < blocks; ++b) {
    const std::string name = sections[draw.Below(9)];
    xml << "  <" << name << ">";
    const uint32_t items = draw.Below(7);
    for (uint32_t i = 0; i < items; ++i) {
      std::u16string item;
      if (name == "linebreak" || name == "linedontbreak") {
        item = draw.Pick(std::vector<std::u16string>{u".", u"?", u"!", u"", u".\"", u"Mr.",
                                                     u"etc.", u"s", u"\u3002", u";"});
      } else if (name == "grader-tc") {
        item = draw.Pick(kStems);
      } else {
        item = MakeRule(draw);
      }
      const std::string text = XmlEscaped(Utf8(item));
      switch (draw.Below(6)) {
        case 0: xml << "<![CDATA[" << Utf8(item) << "]]>"; break;
        case 1: xml << "\n    <i> " << text << " </i>"; break;
        case 2: xml << "<i>" << text << "<!-- c --></i>"; break;
        default: xml << "<i>" << text << "</i>"; break;
      }
    }
    xml << "</" << name << ">\n";
  }
  xml << "</dictionary>\n";
  std::string out = xml.str();
  if (draw.Chance(3)) out.resize(out.size() / 2);  // malformed
  return out;
}

struct Case {
  std::u16string text;
  int32_t percent;
  bool html;
  std::string dictionary;  // empty: the file does not exist
};

Case MakeCase(int index) {
  Draw draw(kSeed + static_cast<uint64_t>(index) * 7919);
  Case c;
  c.text = MakeText(draw);
  static const std::vector<int32_t> percents = {-5, 0, 1, 5, 10, 20, 20, 33, 50, 50, 75, 99, 100, 150};
  c.percent = draw.Pick(percents);
  c.html = draw.Chance(35);
  if (!draw.Chance(4)) c.dictionary = MakeDictionary(draw);
  return c;
}

class DifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("vellumtrace_differential_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(m_dir);
    for (int i = 0; i < kCases; ++i) {
      m_cases.push_back(MakeCase(i));
      if (!m_cases.back().dictionary.empty()) {
        std::ofstream(Path(i), std::ios::binary) << m_cases.back().dictionary;
      }
    }
  }
  void TearDown() override { fs::remove_all(m_dir); }
  fs::path Path(int i) const { return m_dir / ("case" + std::to_string(i) + ".xml"); }

  uint64_t RunCase(SummarizerEngine& engine, testing::RecordingPlatform& platform, int i) {
    return RunCaseWith(engine, platform, i, testing::U16Path(Path(i)));
  }
  uint64_t RunCaseWith(SummarizerEngine& engine, testing::RecordingPlatform& platform, int i,
                       const std::u16string& dictionaryPath) {
    const Case& c = m_cases[i];
    platform.debug.fragments.clear();
    platform.alert.shown.clear();
    platform.diagnostic.written.clear();
    const std::u16string result =
        differential::Run(engine, dictionaryPath, c.html, c.text, c.percent);
    uint64_t hash = 0xcbf29ce484222325ULL;
    hash = HashUnits(hash, result);
    for (const auto& fragment : platform.debug.fragments) hash = HashUnits(hash, fragment);
    const uint64_t fragments = platform.debug.fragments.size();
    hash = Fnv1a(hash, &fragments, sizeof fragments);
    for (const auto& [text, caption] : platform.alert.shown) {
      hash = HashUnits(HashUnits(hash, text), caption);
    }
    return Fnv1a(hash, platform.diagnostic.written.data(), platform.diagnostic.written.size());
  }

  fs::path m_dir;
  std::vector<Case> m_cases;
};

TEST_F(DifferentialTest, EveryGeneratedRunMatchesTheRecordedOne) {
  const fs::path expectedPath = testing::SourceDir() / "tests" / "differential" / "expected.txt";
  std::vector<uint64_t> fresh;
  for (int i = 0; i < kCases; ++i) {
    testing::RecordingPlatform platform;
    SummarizerEngine engine(platform.Services());
    fresh.push_back(RunCase(engine, platform, i));
  }
  if (const char* record = std::getenv("VELLUMTRACE_RECORD_DIFFERENTIAL"); record && *record == '1') {
    std::ofstream out(expectedPath);
    for (int i = 0; i < kCases; ++i) out << i << ' ' << std::hex << fresh[i] << std::dec << '\n';
    GTEST_SKIP() << "recorded " << expectedPath;
  }
  std::ifstream in(expectedPath);
  std::vector<uint64_t> expected;
  int index = 0;
  uint64_t hash = 0;
  while (in >> std::dec >> index >> std::hex >> hash) expected.push_back(hash);
  ASSERT_EQ(expected.size(), static_cast<size_t>(kCases)) << expectedPath;
  for (int i = 0; i < kCases; ++i) EXPECT_EQ(fresh[i], expected[i]) << "case " << i;

  // One engine through every case, twice: nothing may leak between runs,
  // and a repeated dictionary gives the same runs as a first read.
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < kCases; ++i) {
      EXPECT_EQ(RunCase(engine, platform, i), expected[i]) << "case " << i << " pass " << pass;
    }
  }
}

// An engine keeps what a dictionary made of the tokens it has seen. Texts
// that share their words, through one engine whose dictionaries stay the
// same for a while and then change, must run as on fresh engines.
TEST_F(DifferentialTest, AnEngineThatRemembersTokensRunsAsAFreshOne) {
  const std::vector<std::u16string> dictionaries = {
      testing::U16Path(testing::SourceDir() / "dic" / "en.xml"),
      testing::U16Path(testing::SourceDir() / "dic" / "de.xml")};
  testing::RecordingPlatform sharedPlatform;
  SummarizerEngine shared(sharedPlatform.Services());
  for (int i = 0; i < kCases; ++i) {
    const std::u16string& dictionary = dictionaries[(i / 40) % 2];
    testing::RecordingPlatform platform;
    SummarizerEngine fresh(platform.Services());
    EXPECT_EQ(RunCaseWith(shared, sharedPlatform, i, dictionary),
              RunCaseWith(fresh, platform, i, dictionary))
        << "case " << i;
  }
}

}  // namespace
}  // namespace vellumtrace
