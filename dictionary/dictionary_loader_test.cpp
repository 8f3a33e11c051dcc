// The loader over a scripted reader: which failures write "d", which raise
// the alert, and what the lists hold afterwards.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dictionary/xml_reader.h"
#include "engine/summarizer_engine.h"
#include "tests/support/recording_services.h"

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
  Loaded out;
  out.result = engine.LoadDictionary(u"any.xml");
  out.diagnostic = platform.diagnostic.written;
  out.alerts = platform.alert.shown.size();
  out.grader = engine.m_grader_tc;
  out.step1_pre = engine.m_dictionary.m_step1_pre;
  out.step1_post = engine.m_dictionary.m_step1_post;
  out.linebreak = engine.m_dictionary.m_linebreak;
  out.linedontbreak = engine.m_dictionary.m_linedontbreak;
  out.manual = engine.m_dictionary.m_manual;
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
  EXPECT_EQ(script.loads, 2);
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
    // The file vanished between the two parses: no alert, grader terms kept.
    Script script;
    script.laterLoads = {XmlDocument::LoadResult::kNotLoaded};
    script.sections[u"grader-tc"] = {{u"the"}};
    script.sections[u"linebreak"] = {{u"."}};
    const Loaded l = Load(script);
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(l.alerts, 0u);
    EXPECT_EQ(l.grader, RuleList{u"the"});
    EXPECT_TRUE(l.linebreak.empty());
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

}  // namespace
}  // namespace vellumtrace
