// The shipped dictionaries, each through the real loader: it loads without
// the alert, a short text of its language splits where a reader would end
// the sentences, and a few words stem as the rules intend. The texts are our
// own; each holds an abbreviation that must not end a sentence and a
// sentence that ends inside quotes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/utf_codec.h"
#include "analysis/article.h"
#include "dictionary/compiled_dictionary.h"
#include "dictionary/dictionary_loader.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

struct LanguageCase {
  const char* code;
  std::u16string text;
  // The sentences as the splitter makes them, words joined by one space;
  // the closing single-space word of every split is left out.
  std::vector<std::u16string> sentences;
  // Word, expected stem.
  std::vector<std::pair<std::u16string, std::u16string>> stems;
  // Words whose stems must be grader terms.
  std::vector<std::u16string> stopwords;
};

const std::vector<LanguageCase>& Cases() {
  static const std::vector<LanguageCase> cases = {
      {"en",
       u"Mr. Brown's parties were famous in the 1990s. \"We kept dancing "
       u"until dawn,\" he said. The neighbours (e.g. Dr. Patel) complained "
       u"twice. Were they right? Nobody knows! She added: \"That was the "
       u"end.\" \u2014 A lone dash is no word.",
       {u"Mr. Brown's parties were famous in the 1990s.",
        u"\"We kept dancing until dawn,\" he said.",
        u"The neighbours (e.g. Dr. Patel) complained twice.",
        u"Were they right?", u"Nobody knows!",
        u"She added: \"That was the end.\"",
        u"\u2014 A lone dash is no word."},
       {{u"Brown's", u"brown"},
        {u"parties", u"party"},
        {u"dancing", u"danc"},
        {u"dawn,\"", u"dawn"},
        {u"(\"Stacked.\"),", u"stacked"},
        {u"word.''", u"word"},
        {u"classes", u"class"},
        // No bare plural rule: "news" must not become "new".
        {u"news", u"news"},
        // Only the initial capital folds, so "US" stays apart from "us".
        {u"US", u"uS"}},
       {u"The", u"were", u"they", u"it's", u"Nobody", u"being", u"\u2014"}},
      {"de",
       u"Der Verein wurde am 3. Mai 1921 gegründet. Seine Mitglieder trafen "
       u"sich z. B. im Gasthaus „Zur Linde“ am Markt. Der Vorsitzende sagte: "
       u"„Wir bleiben zusammen.“ Heute zählt er ca. 200 Mitglieder (darunter "
       u"12 Lehrerinnen).",
       {u"Der Verein wurde am 3. Mai 1921 gegründet.",
        u"Seine Mitglieder trafen sich z. B. im Gasthaus „Zur Linde“ am Markt.",
        u"Der Vorsitzende sagte:", u"„Wir bleiben zusammen.“",
        u"Heute zählt er ca. 200 Mitglieder (darunter 12 Lehrerinnen)."},
       {{u"„Zur", u"zur"},
        {u"Linde“", u"linde"},
        {u"zusammen.“", u"zusammen"},
        {u"Lehrerinnen).", u"lehrerin"},
        {u"Verbesserungen,", u"verbesserung"},
        {u"(Ärzte", u"ärzte"}},
       {u"Der", u"z.", u"B.", u"sich", u"ca."}},
      {"fr",
       u"M. Dupont est arrivé à Paris lundi. Il a déclaré : «\u00a0Nous "
       u"resterons ici.\u00a0» L’équipe de l’hôpital l'attendait depuis midi. "
       u"Qu’a-t-il dit ensuite ?",
       {u"M. Dupont est arrivé à Paris lundi.",
        u"Il a déclaré : «\u00a0Nous resterons ici.\u00a0»",
        u"L’équipe de l’hôpital l'attendait depuis midi.",
        u"Qu’a-t-il dit ensuite ?"},
       {{u"«\u00a0Nous", u"nou"},
        {u"L’équipe", u"équipe"},
        {u"l'attendait", u"attendait"},
        {u"Qu’a-t-il", u"a-t-il"},
        {u"arrivées,", u"arrivée"},
        {u"(États-Unis),", u"états-Uni"}},
       {u"Il", u"à", u"est", u"depuis", u"L’"}},
      {"es",
       u"El Sr. García llegó ayer a Madrid. ¿Vendrá también su hermana? Ella "
       u"dijo: «Prefiero quedarme en casa.» Las ciudades grandes tienen muchos "
       u"problemas.",
       {u"El Sr. García llegó ayer a Madrid.", u"¿Vendrá también su hermana?",
        u"Ella dijo: «Prefiero quedarme en casa.»",
        u"Las ciudades grandes tienen muchos problemas."},
       {{u"¿Vendrá", u"vendrá"},
        {u"«Prefiero", u"prefiero"},
        {u"ciudades", u"ciudad"},
        {u"problemas.", u"problema"},
        {u"Naciones", u"nación"}},
       {u"El", u"Las", u"su", u"también"}},
      {"it",
       u"Il sig. Rossi è arrivato a Roma ieri. Gli amici lo aspettavano "
       u"all’aeroporto. Poi ha detto: «Sono molto felice.» Le amiche hanno "
       u"portato i libri.",
       {u"Il sig. Rossi è arrivato a Roma ieri.",
        u"Gli amici lo aspettavano all’aeroporto.",
        u"Poi ha detto: «Sono molto felice.»",
        u"Le amiche hanno portato i libri."},
       {{u"all’aeroporto.", u"aeroport"},
        {u"amici", u"amic"},
        {u"amiche", u"amic"},
        {u"libri.", u"libr"},
        {u"L'anno", u"ann"}},
       {u"Il", u"Gli", u"è", u"lo", u"molto"}},
      {"pt",
       u"O Dr. Silva chegou a Lisboa ontem. As informações foram publicadas "
       u"no jornal. Ele disse: “Os animais estão bem.” Depois voltou para "
       u"casa.",
       {u"O Dr. Silva chegou a Lisboa ontem.",
        u"As informações foram publicadas no jornal.",
        u"Ele disse: “Os animais estão bem.”", u"Depois voltou para casa."},
       {{u"informações", u"informação"},
        {u"animais", u"animal"},
        {u"“Os", u"o"},
        {u"publicadas", u"publicada"},
        {u"Homens,", u"homem"}},
       {u"O", u"As", u"no", u"Ele", u"para"}},
      {"nl",
       u"Dhr. Jansen woont in Utrecht. Hij heeft twee katten en drie honden. "
       u"Zijn buurvrouw zei: \"Het zijn lieve dieren.\" De kinderen spelen "
       u"bijv. graag in de tuin.",
       {u"Dhr. Jansen woont in Utrecht.",
        u"Hij heeft twee katten en drie honden.",
        u"Zijn buurvrouw zei: \"Het zijn lieve dieren.\"",
        u"De kinderen spelen bijv. graag in de tuin."},
       {{u"katten", u"kat"},
        {u"honden.", u"hond"},
        {u"dieren.\"", u"dier"},
        {u"IJsland", u"ijsland"},
        {u"auto's", u"auto"}},
       {u"Hij", u"De", u"zijn", u"heeft"}},
      {"sv",
       u"Bilarna står på gatan. Han köpte bl.a. två nya böcker. Hon sa: ”Jag "
       u"är trött.” Flickorna spelar fotboll på lördagar.",
       {u"Bilarna står på gatan.", u"Han köpte bl.a. två nya böcker.",
        u"Hon sa: ”Jag är trött.”", u"Flickorna spelar fotboll på lördagar."},
       {{u"Bilarna", u"bil"},
        {u"Flickorna", u"flick"},
        {u"lördagar.", u"lördag"},
        {u"”Jag", u"jag"},
        {u"(Städerna)", u"städ"}},
       {u"Han", u"på", u"är", u"två"}},
  };
  return cases;
}

// One line per sentence, so that a failure shows the whole split.
std::string Lines(const std::vector<std::u16string>& sentences) {
  std::string lines;
  for (const auto& sentence : sentences) lines += EncodeUtf8(sentence) + "\n";
  return lines;
}

std::vector<std::u16string> SplitSentences(const Article& article) {
  std::vector<std::u16string> sentences;
  for (const SentenceSpan& sentence : article.sentences) {
    std::u16string joined;
    for (size_t w = sentence.firstWord; w < sentence.firstWord + sentence.wordCount; ++w) {
      if (w + 1 == article.words.size()) continue;  // the space that closes every split
      if (!joined.empty()) joined += u' ';
      joined += article.Word(w);
    }
    if (!joined.empty()) sentences.push_back(joined);
  }
  return sentences;
}

TEST(Dictionaries, EachLanguageLoadsSplitsAndStems) {
  for (const LanguageCase& c : Cases()) {
    SCOPED_TRACE(c.code);
    testing::RecordingPlatform platform;
    const std::u16string path = testing::U16Path(
        testing::SourceDir() / "dic" / (std::string(c.code) + ".xml"));
    const DictionaryLoad load = ReadDictionaryFile(path, platform.reader, platform.diagnostic);
    if (!load.Loaded()) {
      ADD_FAILURE() << "cannot load " << EncodeUtf8(path) << ": " << EncodeUtf8(load.reason);
      continue;
    }
    const CompiledDictionary& dictionary = *load.dictionary;
    EXPECT_EQ(platform.diagnostic.written, "");
    EXPECT_GE(dictionary.Lists().m_grader_tc.size(), 100u);
    // Real dictionaries stay far below the growth limit.
    EXPECT_LT(dictionary.RuleGrowth(), kMaxRuleGrowth / 8);

    Article article;
    article.text = c.text;
    AnalyseText(article, dictionary);
    EXPECT_EQ(Lines(SplitSentences(article)), Lines(c.sentences));

    for (const auto& [word, stem] : c.stems) {
      EXPECT_EQ(EncodeUtf8(dictionary.Stem(word)), EncodeUtf8(stem))
          << "word " << EncodeUtf8(word);
    }
    for (const std::u16string& word : c.stopwords) {
      EXPECT_TRUE(dictionary.IsGraderTerm(dictionary.Stem(word)))
          << "word " << EncodeUtf8(word) << ", stem " << EncodeUtf8(dictionary.Stem(word));
    }
  }
}

}  // namespace
}  // namespace vellumtrace
