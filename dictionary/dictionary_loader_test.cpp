// The loader over a scripted reader: which failures write "d", which raise
// the alert, and what the lists hold afterwards.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/xml_reader.h"
#include "dictionary/dictionary_loader.h"
#include "engine/summarizer_engine.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

// A document as sections of item texts; each operation can be made to fail.
struct Script {
  bool createFails = false;
  XmlDocument::LoadResult load = XmlDocument::LoadResult::kLoaded;
  std::vector<XmlDocument::LoadResult> laterLoads;  // for the second parse
  std::map<std::u16string, std::vector<std::vector<std::u16string>>> sections;
  std::u16string elementsFail;  // section whose collection cannot be had
  std::u16string childrenFail;  // section whose children cannot be had
  int loads = 0;
};

class ScriptedNode final : public XmlNode {
 public:
  ScriptedNode(std::vector<std::u16string> items, bool childrenFail, bool textFails)
      : m_items(std::move(items)), m_childrenFail(childrenFail), m_textFails(textFails) {}
  bool GetChildNodes(std::unique_ptr<XmlNodeList>* children) override;
  bool GetText(std::u16string* text) override {
    if (m_textFails) return false;
    *text = m_items.empty() ? u"" : m_items[0];
    return true;
  }

 private:
  std::vector<std::u16string> m_items;
  bool m_childrenFail;
  bool m_textFails;
};

class ScriptedList final : public XmlNodeList {
 public:
  explicit ScriptedList(std::vector<std::unique_ptr<XmlNode>> nodes) : m_nodes(std::move(nodes)) {}
  bool GetLength(int32_t* length) override {
    *length = static_cast<int32_t>(m_nodes.size());
    return true;
  }
  void Reset() override {}
  std::unique_ptr<XmlNode> GetItem(int32_t index) override { return std::move(m_nodes[index]); }

 private:
  std::vector<std::unique_ptr<XmlNode>> m_nodes;
};

bool ScriptedNode::GetChildNodes(std::unique_ptr<XmlNodeList>* children) {
  if (m_childrenFail) return false;
  std::vector<std::unique_ptr<XmlNode>> nodes;
  for (const auto& item : m_items) {
    // Marker items: a child whose text cannot be had, and a position where
    // the list returns no node.
    if (item == u"<none>") {
      nodes.push_back(nullptr);
    } else {
      nodes.push_back(std::make_unique<ScriptedNode>(std::vector<std::u16string>{item}, false,
                                                     item == u"<no text>"));
    }
  }
  *children = std::make_unique<ScriptedList>(std::move(nodes));
  return true;
}

class ScriptedDocument final : public XmlDocument {
 public:
  explicit ScriptedDocument(Script& script) : m_script(script) {}
  LoadResult Load(const std::u16string&) override {
    const int n = m_script.loads++;
    if (n > 0 && static_cast<size_t>(n - 1) < m_script.laterLoads.size()) {
      return m_script.laterLoads[n - 1];
    }
    return m_script.load;
  }
  bool GetElementsByTagName(const std::u16string& name,
                            std::unique_ptr<XmlNodeList>* elements) override {
    if (name == m_script.elementsFail) return false;
    std::vector<std::unique_ptr<XmlNode>> nodes;
    for (const auto& items : m_script.sections[name]) {
      nodes.push_back(std::make_unique<ScriptedNode>(items, name == m_script.childrenFail, false));
    }
    *elements = std::make_unique<ScriptedList>(std::move(nodes));
    return true;
  }

 private:
  Script& m_script;
};

class ScriptedReader final : public XmlReader {
 public:
  explicit ScriptedReader(Script& script) : m_script(script) {}
  std::unique_ptr<XmlDocument> CreateDocument() override {
    if (m_script.createFails) return nullptr;
    return std::make_unique<ScriptedDocument>(m_script);
  }

 private:
  Script& m_script;
};

struct Loaded {
  int result;
  std::string diagnostic;
  size_t alerts;
  RuleList grader, step1_pre, step1_post, linebreak, linedontbreak, manual;
};

Loaded Load(Script& script) {
  testing::RecordingPlatform platform;
  ScriptedReader reader(script);
  SummarizerEngine engine(platform.Services(&reader));
  engine.SetDictionaryPath(u"any.xml");
  const SummaryRun& run = engine.Analyse(u"");
  const LanguageDictionary& lists = run.dictionary->Lists();
  Loaded out;
  out.result = run.dictionaryStatus == DictionaryStatus::kLoaded ? 1 : 0;
  out.diagnostic = platform.diagnostic.written;
  out.alerts = platform.alert.shown.size();
  out.grader = lists.m_grader_tc;
  out.step1_pre = lists.m_step1_pre;
  out.step1_post = lists.m_step1_post;
  out.linebreak = lists.m_linebreak;
  out.linedontbreak = lists.m_linedontbreak;
  out.manual = lists.m_manual;
  return out;
}

TEST(DictionaryLoader, FillsListsInDocumentOrder) {
  Script script;
  script.sections[u"grader-tc"] = {{u"the", u"a"}, {u"the"}};
  script.sections[u"step1_pre"] = {{u"a|b", u"c|d"}};
  script.sections[u"step1_post"] = {{u"e|f"}};
  script.sections[u"linebreak"] = {{u".", u"?"}, {u"", u"!"}};
  const Loaded l = Load(script);
  EXPECT_EQ(l.result, 1);
  EXPECT_EQ(l.diagnostic, "");
  EXPECT_EQ(l.alerts, 0u);
  EXPECT_EQ(script.loads, 1);  // one parse gives the terms and the rules
  EXPECT_EQ(l.grader, (RuleList{u"the", u"a", u"the"}));
  EXPECT_EQ(l.step1_pre, (RuleList{u"a|b", u"c|d"}));
  EXPECT_EQ(l.step1_post, (RuleList{u"e|f"}));
  EXPECT_EQ(l.linebreak, (RuleList{u".", u"?", u"", u"!"}));
}

TEST(DictionaryLoader, FailuresWriteTheTraceOrRaiseTheAlert) {
  {
    Script script;
    script.createFails = true;
    const Loaded l = Load(script);
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(l.diagnostic, "d");
    EXPECT_EQ(l.alerts, 1u);
  }
  {
    Script script;
    script.load = XmlDocument::LoadResult::kCallFailed;
    const Loaded l = Load(script);
    EXPECT_EQ(l.diagnostic, "d");
    EXPECT_EQ(l.alerts, 1u);
    EXPECT_EQ(script.loads, 1);  // no second parse after the alert
  }
  {
    Script script;
    script.load = XmlDocument::LoadResult::kNotLoaded;
    const Loaded l = Load(script);
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(l.diagnostic, "");
    EXPECT_EQ(l.alerts, 1u);
  }
  {
    // One parse per load: what the file becomes afterwards cannot mix into
    // the lists of this load.
    Script script;
    script.laterLoads = {XmlDocument::LoadResult::kNotLoaded};
    script.sections[u"grader-tc"] = {{u"the"}};
    script.sections[u"linebreak"] = {{u"."}};
    const Loaded l = Load(script);
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.alerts, 0u);
    EXPECT_EQ(script.loads, 1);
    EXPECT_EQ(l.grader, RuleList{u"the"});
    EXPECT_EQ(l.linebreak, RuleList{u"."});
  }
  {
    // A section whose elements cannot be had ends the section reading;
    // the lists read before it keep their items.
    Script script;
    script.sections[u"step1_pre"] = {{u"p"}};
    script.sections[u"step1_post"] = {{u"q"}};
    script.sections[u"linebreak"] = {{u"."}};
    script.elementsFail = u"manual";
    const Loaded l = Load(script);
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.diagnostic, "d");
    EXPECT_EQ(l.step1_pre, RuleList{u"p"});
    EXPECT_EQ(l.step1_post, RuleList{u"q"});
    EXPECT_TRUE(l.linebreak.empty());
  }
  {
    // Children that cannot be had skip that element only; a child without
    // text is skipped, a missing node too.
    Script script;
    script.sections[u"linedontbreak"] = {{u"Mr.", u"<no text>", u"<none>", u"Dr."}};
    script.sections[u"manual"] = {{u"m"}};
    script.childrenFail = u"manual";
    const Loaded l = Load(script);
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.diagnostic, "d");
    EXPECT_TRUE(l.manual.empty());
    EXPECT_EQ(l.linedontbreak, (RuleList{u"Mr.", u"Dr."}));
  }
}

// Every failure keeps the one alert text and names its real reason.
TEST(DictionaryLoader, FailuresNameTheirReason) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("vellumtrace_reasons_" + std::to_string(::getpid()));
  fs::create_directories(dir / "folder.xml");
  std::string growing = "<d><step1_post>";
  for (int i = 0; i < 513; ++i) growing += "<e>|ab</e>";  // 513 rules of 2 units: 1,026
  // Prefix rules lengthen words too: half the growth each side.
  std::string both = "<d><step1_pre>";
  for (int i = 0; i < 257; ++i) both += "<e>|ab</e>";
  both += "</step1_pre><step1_post>";
  for (int i = 0; i < 256; ++i) both += "<e>|ab</e>";
  both += "</step1_post></d>";
  const struct {
    const char* name;
    std::string content;  // none: no file at all
    std::u16string reason;
  } cases[] = {
      {"missing.xml", "", u"not found"},
      {"folder.xml", "", u"not a regular file"},
      {"empty.xml", "-", u"not well-formed: the file is empty"},
      {"unclosed.xml", "<d>\n  <linebreak><e>.</e>\n</d>", u"not well-formed at line 3, column 5"},
      {"growing.xml", growing + "</step1_post></d>",
       u"over a limit: its prefix and suffix rules can lengthen a word by 1026 code units in all, "
       u"the limit is 1024"},
      {"both.xml", both,
       u"over a limit: its prefix and suffix rules can lengthen a word by 1026 code units in all, "
       u"the limit is 1024"},
  };
  for (const auto& c : cases) {
    const fs::path path = dir / c.name;
    if (!c.content.empty()) std::ofstream(path) << (c.content == "-" ? "" : c.content);
    testing::RecordingPlatform platform;
    SummarizerEngine engine(platform.Services());
    engine.SetDictionaryPath(testing::U16Path(path));
    EXPECT_EQ(engine.RunSummary(u"A b. C", 100), u"A b. C   ") << c.name;
    ASSERT_EQ(platform.alert.shown.size(), 1u) << c.name;
    EXPECT_EQ(platform.alert.shown[0].first, u"Dictionary File not found");
    ASSERT_EQ(platform.alert.details.size(), 1u) << c.name;
    EXPECT_EQ(platform.alert.details[0], u"dictionary " + testing::U16Path(path) + u": " + c.reason)
        << c.name;
    EXPECT_EQ(engine.LastRun().dictionary->Lists().m_step1_post.size(), 0u) << c.name;
  }
  // One rule fewer is within the limit.
  std::ofstream(dir / "within.xml") << growing.substr(0, growing.size() - 10) + "</step1_post></d>";
  Libxml2Reader reader;
  testing::RecordingDiagnostic diagnostic;
  const DictionaryLoad within =
      ReadDictionaryFile(testing::U16Path(dir / "within.xml"), reader, diagnostic);
  EXPECT_TRUE(within.Loaded());
  EXPECT_EQ(within.dictionary->RuleGrowth(), 1024u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vellumtrace
