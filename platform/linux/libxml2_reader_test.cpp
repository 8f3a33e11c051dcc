#include "platform/linux/libxml2_reader.h"
#include "tests/support/test_paths.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#ifndef VELLUMTRACE_TESTDATA_DIR
#error "VELLUMTRACE_TESTDATA_DIR must name the tests/testdata folder"
#endif

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;
using LoadResult = XmlDocument::LoadResult;
using Texts = std::vector<std::u16string>;

// ---- Helpers ----------------------------------------------------------------

std::u16string TextOf(XmlNode& node) {
  std::u16string text;
  EXPECT_TRUE(node.GetText(&text));
  return text;
}

// Nodes of a list, checked for a consistent length.
std::vector<std::unique_ptr<XmlNode>> NodesOf(XmlNodeList& list) {
  int32_t length = -1;
  EXPECT_TRUE(list.GetLength(&length));
  list.Reset();
  std::vector<std::unique_ptr<XmlNode>> nodes;
  for (int32_t i = 0; i < length; ++i) {
    std::unique_ptr<XmlNode> node = list.GetItem(i);
    EXPECT_NE(node, nullptr) << "item " << i;
    if (node != nullptr) nodes.push_back(std::move(node));
  }
  EXPECT_EQ(list.GetItem(length), nullptr);
  EXPECT_EQ(list.GetItem(-1), nullptr);
  return nodes;
}

std::vector<std::unique_ptr<XmlNode>> Sections(XmlDocument& doc,
                                               const std::u16string& name) {
  std::unique_ptr<XmlNodeList> list;
  EXPECT_TRUE(doc.GetElementsByTagName(name, &list));
  if (list == nullptr) return {};
  return NodesOf(*list);
}

// The items of every section of that name, one after another: what the
// dictionary loader appends to a rule list.
Texts SectionItems(XmlDocument& doc, const std::u16string& name) {
  Texts items;
  for (const auto& section : Sections(doc, name)) {
    std::unique_ptr<XmlNodeList> children;
    EXPECT_TRUE(section->GetChildNodes(&children));
    if (children == nullptr) continue;
    for (const auto& child : NodesOf(*children))
      items.push_back(TextOf(*child));
  }
  return items;
}

Texts SectionTexts(XmlDocument& doc, const std::u16string& name) {
  Texts texts;
  for (const auto& section : Sections(doc, name))
    texts.push_back(TextOf(*section));
  return texts;
}

std::string Narrow(const std::u16string& text) {
  return fs::path(text).string();
}

// Each test gets a folder of its own for the files it writes.
class Libxml2ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir =
        fs::path(::testing::TempDir()) /
        ("vellumtrace_xml_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(m_dir / "unreadable.xml", fs::perms::owner_all, ignored);
    fs::remove_all(m_dir, ignored);
  }

  std::u16string Write(const std::u16string& name, std::string_view bytes) {
    const fs::path path = m_dir / fs::path(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    return path.u16string();
  }

  std::u16string PathIn(const std::u16string& name) const {
    return (m_dir / fs::path(name)).u16string();
  }

  std::unique_ptr<XmlDocument> Load(const std::u16string& path,
                                    LoadResult expected) {
    std::unique_ptr<XmlDocument> doc = m_reader.CreateDocument();
    EXPECT_NE(doc, nullptr);
    if (doc != nullptr) {
      EXPECT_EQ(doc->Load(path), expected);
    }
    return doc;
  }

  std::unique_ptr<XmlDocument> LoadXml(
      std::string_view xml, LoadResult expected = LoadResult::kLoaded) {
    return Load(Write(u"doc.xml", xml), expected);
  }

  fs::path m_dir;
  Libxml2Reader m_reader;
};

// ---- Items and texts --------------------------------------------------------

struct ItemsCase {
  const char* what;
  std::string xml;
  std::u16string section;
  Texts items;
};

TEST_F(Libxml2ReaderTest, SectionItemsFollowThePlatformDom) {
  const std::string dtd_entities =
      "<!DOCTYPE d [\n"
      "  <!ENTITY mr 'Mr.'>\n"
      "  <!ENTITY two '<i>a</i><i>b</i>'>\n"
      "  <!ENTITY e 'b'>\n"
      "  <!ENTITY one '1'>\n"
      "  <!ENTITY nested '&one;&one;'>\n"
      "  <!ENTITY sp '  '>\n"
      "  <!ENTITY sec '<linebreak><i>in entity</i></linebreak>'>\n"
      "]>\n";
  const ItemsCase cases[] = {
      {"item elements in order",
       "<d><linebreak><i>.</i><i>?</i><i>!</i></linebreak></d>",
       u"linebreak",
       {u".", u"?", u"!"}},
      {"element text is trimmed",
       "<d><linebreak><i>  a  </i></linebreak></d>",
       u"linebreak",
       {u"a"}},
      {"text and child element concatenate",
       "<d><linebreak><i>ab<c>c</c></i></linebreak></d>",
       u"linebreak",
       {u"abc"}},
      {"dropped white space between pieces is one space",
       "<d><linebreak><i><b>p</b>\n  <b>q</b></i></linebreak></d>",
       u"linebreak",
       {u"p q"}},
      {"white space inside pieces is kept",
       "<d><linebreak><i>x <b> y </b> z</i></linebreak></d>",
       u"linebreak",
       {u"x  y  z"}},
      {"white-space-only run in a child element is dropped",
       "<d><linebreak><i>a<b> </b>c</i></linebreak></d>",
       u"linebreak",
       {u"a c"}},
      {"comments and PIs are left out of element text",
       "<d><linebreak><i>a<!--c-->b<?p q?></i></linebreak></d>",
       u"linebreak",
       {u"ab"}},
      {"one space for runs dropped between comments",
       "<d><linebreak><i>a<!--c-->  <!--d-->b</i></linebreak></d>",
       u"linebreak",
       {u"a b"}},
      {"CDATA at the edges keeps its white space",
       "<d><linebreak><i> <![CDATA[ x ]]> </i><i>  a<![CDATA[ ]]></i>"
       "<i><![CDATA[ ]]> a </i><i><![CDATA[]]> a</i></linebreak></d>",
       u"linebreak",
       {u" x ", u"a ", u"  a", u"a"}},
      {"non-breaking space is not white space",
       "<d><linebreak><i>\u00a0a\u00a0</i></linebreak></d>",
       u"linebreak",
       {u"\u00a0a\u00a0"}},
      {"CDATA item is exact",
       "<d><linebreak><![CDATA[ x ]]></linebreak></d>",
       u"linebreak",
       {u" x "}},
      {"white-space-only and empty CDATA are items",
       "<d><linebreak>\n  <![CDATA[  ]]>\n  <![CDATA[]]>\n</linebreak></d>",
       u"linebreak",
       {u"  ", u""}},
      {"PI item is what follows the target and its white space",
       "<d><linebreak><?pi  d ?><?bare?></linebreak></d>",
       u"linebreak",
       {u"d ", u""}},
      {"comment item is exact",
       "<d><linebreak><!-- c  --></linebreak></d>",
       u"linebreak",
       {u" c  "}},
      {"text, CDATA, text are three items",
       "<d><linebreak>a<![CDATA[b]]>c</linebreak></d>",
       u"linebreak",
       {u"a", u"b", u"c"}},
      {"text runs between elements are trimmed items",
       "<d><linebreak> a <i>b</i>\n c d \n<i>e</i>f</linebreak></d>",
       u"linebreak",
       {u"a", u"b", u"c d", u"e", u"f"}},
      {"white space between items yields nothing",
       "<d><linebreak>\n\t<i>a</i> \r\n <i>b</i>\t</linebreak></d>",
       u"linebreak",
       {u"a", u"b"}},
      {"empty elements are empty items",
       "<d><linebreak><i/><i></i><i> </i></linebreak></d>",
       u"linebreak",
       {u"", u"", u""}},
      {"attributes are ignored",
       "<d><linebreak kind='x'><i a='b'>.</i></linebreak></d>",
       u"linebreak",
       {u"."}},
      {"repeated items stay",
       "<d><linebreak><i>.</i><i>.</i></linebreak></d>",
       u"linebreak",
       {u".", u"."}},
      {"empty section adds nothing",
       "<d><linebreak/><linebreak> </linebreak></d>",
       u"linebreak",
       {}},
      {"CR LF reads as LF everywhere",
       "<d><linebreak><i>a\r\nb</i><![CDATA[c\r\nd]]><!--e\r\nf--><?p g\r\nh?>"
       "</linebreak></d>",
       u"linebreak",
       {u"a\nb", u"c\nd", u"e\nf", u"g\nh"}},
      {"sections at any depth in start-tag order",
       "<d><x><y><linebreak><i>deep</i></linebreak></y></x>"
       "<linebreak><i>top</i></linebreak></d>",
       u"linebreak",
       {u"deep", u"top"}},
      {"nested section is an item and a section",
       "<d><linebreak><i>a</i><linebreak> <i>b</i> "
       "</linebreak></linebreak></d>",
       u"linebreak",
       {u"a", u"b", u"b"}},
      {"root element is a section",
       "<linebreak><i>a</i></linebreak>",
       u"linebreak",
       {u"a"}},
      {"prefixed element is not a section",
       "<d xmlns:x='urn:x'><x:linebreak><i>p</i></x:linebreak>"
       "<linebreak><i>q</i></linebreak></d>",
       u"linebreak",
       {u"q"}},
      {"prefixed name matches as written",
       "<d xmlns:x='urn:x'><x:linebreak><i>p</i></x:linebreak>"
       "<linebreak><i>q</i></linebreak></d>",
       u"x:linebreak",
       {u"p"}},
      {"default namespace plays no part",
       "<d xmlns='urn:d'><linebreak xmlns='urn:e'><i>q</i></linebreak></d>",
       u"linebreak",
       {u"q"}},
      {"look-alike names are no sections",
       "<d><LineBreak><i>1</i></LineBreak><line-break><i>2</i></line-break>"
       "<linebreaks><i>3</i></linebreaks><linebrea><i>4</i></linebrea></d>",
       u"linebreak",
       {}},
      {"hyphenated section name",
       "<d><grader-tc><i>the</i></grader-tc><grader_tc><i>no</i></grader_tc></"
       "d>",
       u"grader-tc",
       {u"the"}},
      {"rule items are kept whole",
       "<d><step1_post><i>ies|y</i><i>a|b|c</i></step1_post></d>",
       u"step1_post",
       {u"ies|y", u"a|b|c"}},
      {"predefined and character references",
       "<d><linebreak><i>&lt;&gt;&amp;&apos;&quot;</i><i>&#233;&#xE9;</i>"
       "<i>&#x1F600;</i></linebreak></d>",
       u"linebreak",
       {u"<>&'\"", u"éé", u"😀"}},
      {"characters outside the BMP become surrogate pairs",
       "<d><linebreak><i>😀𝄞</i></linebreak></d>",
       u"linebreak",
       {u"😀𝄞"}},
      {"internal entity is expanded",
       dtd_entities +
           "<d><linedontbreak><i>&mr;</i><i>x&mr;y</i></linedontbreak></d>",
       u"linedontbreak",
       {u"Mr.", u"xMr.y"}},
      {"entity with markup expands into items",
       dtd_entities + "<d><linebreak>&two;</linebreak></d>",
       u"linebreak",
       {u"a", u"b"}},
      {"entity text joins the text run around it",
       dtd_entities + "<d><linebreak>a&e;c</linebreak></d>",
       u"linebreak",
       {u"abc"}},
      {"nested entities expand",
       dtd_entities + "<d><linebreak><i>&nested;</i></linebreak></d>",
       u"linebreak",
       {u"11"}},
      {"entity first used in an attribute still expands in content",
       dtd_entities + "<d a='&mr;'><linebreak><i>&mr;</i>&two;</linebreak></d>",
       u"linebreak",
       {u"Mr.", u"a", u"b"}},
      {"white-space entity yields no item",
       dtd_entities + "<d><linebreak>&sp;<i>a</i>&sp;</linebreak></d>",
       u"linebreak",
       {u"a"}},
      {"section inside entity content is found",
       dtd_entities + "<d>&sec;<linebreak><i>after</i></linebreak></d>",
       u"linebreak",
       {u"in entity", u"after"}},
      {"external DTD is not needed",
       "<!DOCTYPE d SYSTEM "
       "'nowhere.dtd'><d><linebreak><i>a</i></linebreak></d>",
       u"linebreak",
       {u"a"}},
  };
  for (const ItemsCase& c : cases) {
    SCOPED_TRACE(std::string(c.what) + "\n" + c.xml);
    std::unique_ptr<XmlDocument> doc = LoadXml(c.xml);
    if (doc == nullptr) continue;
    EXPECT_EQ(SectionItems(*doc, c.section), c.items);
  }
}

TEST_F(Libxml2ReaderTest, SectionTextIsTheTextOfAllItems) {
  const struct {
    std::string xml;
    Texts texts;
  } cases[] = {
      {"<linebreak>\n  <i>a</i>\n  <i>b</i>\n</linebreak>", {u"a b"}},
      {"<d><linebreak><i>a</i><linebreak> <i>b</i> "
       "</linebreak></linebreak></d>",
       {u"a b", u"b"}},
      {"<d><linebreak><!--c--><?p q?><![CDATA[ x ]]></linebreak></d>",
       {u" x "}},
      {"<d><linebreak>\n</linebreak><linebreak/></d>", {u"", u""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    std::unique_ptr<XmlDocument> doc = LoadXml(c.xml);
    if (doc == nullptr) continue;
    EXPECT_EQ(SectionTexts(*doc, u"linebreak"), c.texts);
  }
}

TEST_F(Libxml2ReaderTest, LeafNodesHaveNoChildren) {
  std::unique_ptr<XmlDocument> doc = LoadXml(
      "<d><linebreak>t<!--c--><?p d?><![CDATA[x]]><i>e</i></linebreak></d>");
  ASSERT_NE(doc, nullptr);
  const auto sections = Sections(*doc, u"linebreak");
  ASSERT_EQ(sections.size(), 1u);
  std::unique_ptr<XmlNodeList> items;
  ASSERT_TRUE(sections[0]->GetChildNodes(&items));
  for (const auto& item : NodesOf(*items)) {
    SCOPED_TRACE(Narrow(TextOf(*item)));
    std::unique_ptr<XmlNodeList> children;
    ASSERT_TRUE(item->GetChildNodes(&children));
    const std::u16string text = TextOf(*item);
    // Only the element has a child: its text.
    EXPECT_EQ(NodesOf(*children).size(), text == u"e" ? 1u : 0u);
  }
}

// ---- Encodings
// ----------------------------------------------------------------

TEST_F(Libxml2ReaderTest, DecodesTheDeclaredEncoding) {
  const Texts unicode = {u"é", u"Straße", u"Ωμέγα", u"😀", u"x\ny"};
  const struct {
    const char* file;
    Texts items;
  } cases[] = {
      {"utf8.xml", unicode},
      {"utf8_bom.xml", unicode},
      {"utf16le_bom.xml", unicode},
      {"utf16be_bom.xml", unicode},
      {"iso8859_1.xml", {u"é", u"Straße", u"ÿ", u"«»", u"x\ny"}},
      {"windows1252.xml", {u"€", u"„quoted“", u"Œuvre"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const fs::path path = fs::path(VELLUMTRACE_TESTDATA_DIR) / "xml" / c.file;
    std::unique_ptr<XmlDocument> doc =
        Load(path.u16string(), LoadResult::kLoaded);
    if (doc == nullptr) continue;
    EXPECT_EQ(SectionItems(*doc, u"linebreak"), c.items);
  }
}

TEST_F(Libxml2ReaderTest, PathIsPassedAsUnicode) {
  const std::u16string path =
      Write(u"wörterbuch_😀.xml", "<d><linebreak><i>ok</i></linebreak></d>");
  std::unique_ptr<XmlDocument> doc = Load(path, LoadResult::kLoaded);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(SectionItems(*doc, u"linebreak"), Texts{u"ok"});
}

// ---- Failures
// -----------------------------------------------------------------

TEST_F(Libxml2ReaderTest, RefusesMalformedDocumentsQuietly) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"declaration only", "<?xml version='1.0'?>"},
      {"unclosed element", "<d><linebreak></d>"},
      {"mismatched end tag", "<d><i></b></d>"},
      {"two root elements", "<d/><e/>"},
      {"text outside the root", "x<d/>"},
      {"bare ampersand", "<d>a & b</d>"},
      {"duplicate attribute", "<d a='1' a='2'/>"},
      {"undeclared entity", "<d>&nope;</d>"},
      {"entity loop",
       "<!DOCTYPE d [<!ENTITY a '&b;'><!ENTITY b '&a;'>]><d>&a;</d>"},
      {"undeclared prefix", "<d><x:linebreak/></d>"},
      {"empty namespace for a prefix", "<d xmlns:x=''><x:i/></d>"},
      {"two colons in a name", "<d xmlns:a='urn:a'><a:b:c/></d>"},
      {"invalid UTF-8", "<?xml version='1.0' encoding='UTF-8'?><d>\xe9</d>"},
      {"unknown encoding", "<?xml version='1.0' encoding='x-no-such'?><d/>"},
      {"unpaired surrogate in UTF-16",
       std::string("\xff\xfe<\0d\0>\0\x00\xd8<\0/\0d\0>\0", 18)},
      {"unpaired surrogate at the end of UTF-16",
       std::string("\xff\xfe<\0d\0/\0>\0\x00\xd8", 12)},
      {"odd byte at the end of UTF-16",
       std::string("\xff\xfe<\0d\0/\0>\0\n", 11)},
      {"undefined windows-1252 byte after the root",
       "<?xml version='1.0' encoding='windows-1252'?><d/>\x81"},
  };
  ::testing::internal::CaptureStderr();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.what) + "\n" + c.bytes);
    std::unique_ptr<XmlDocument> doc = LoadXml(c.bytes, LoadResult::kNotLoaded);
    if (doc == nullptr) continue;
    // A failed load leaves an empty document behind, not an error.
    EXPECT_EQ(SectionItems(*doc, u"linebreak"), Texts{});
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(Libxml2ReaderTest, RefusesWhatIsNoReadableFile) {
  const std::u16string unreadable = Write(u"unreadable.xml", "<d/>");
  fs::permissions(Narrow(unreadable), fs::perms::none);
  const std::u16string fifo = PathIn(u"fifo.xml");
  ASSERT_EQ(mkfifo(Narrow(fifo).c_str(), 0600), 0);
  // Were a path cut short at the bad character, it would name this file.
  Write(u"x", "<d/>");
  std::u16string bad_surrogate = m_dir.u16string();
  bad_surrogate.append(u"/x\xd800");
  std::u16string embedded_nul = m_dir.u16string();
  embedded_nul.append(u"/x\0.xml", 7);

  struct Case {
    const char* what;
    std::u16string path;
  };
  std::vector<Case> cases = {
      {"missing file", PathIn(u"missing.xml")},
      {"directory", m_dir.u16string()},
      {"FIFO", fifo},  // must not block waiting for a writer
      {"empty path", u""},
      {"unpaired surrogate", bad_surrogate},
      {"embedded NUL", embedded_nul},
  };
  // Permissions do not stop root.
  if (access(Narrow(unreadable).c_str(), R_OK) != 0) {
    cases.push_back({"unreadable file", unreadable});
  }
  ::testing::internal::CaptureStderr();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load(c.path, LoadResult::kNotLoaded);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(Libxml2ReaderTest, NeverFetchesExternalContent) {
  Write(u"secret.txt", "TOP-SECRET");
  const std::string secret_dtd =
      Narrow(Write(u"secret.dtd", "<!ENTITY leak 'TOP-SECRET'>"));
  const std::string secret_txt = Narrow(PathIn(u"secret.txt"));
  // An external entity stands for nothing. A reference to an entity that
  // only an unread external subset declares is tolerated, but one that
  // only an unread parameter entity declares is refused by libxml2.
  const struct {
    const char* what;
    std::string xml;
    LoadResult result;
    Texts items;
  } cases[] = {
      {"external entity by path",
       "<!DOCTYPE d [<!ENTITY ext SYSTEM '" + secret_txt +
           "'>]>"
           "<d><linebreak><i>&ext;</i><i>a&ext;b</i></linebreak></d>",
       LoadResult::kLoaded,
       {u"", u"ab"}},
      {"external entity by file URL",
       "<!DOCTYPE d [<!ENTITY ext SYSTEM 'file://" + secret_txt +
           "'>]>"
           "<d><linebreak><i>&ext;</i></linebreak></d>",
       LoadResult::kLoaded,
       {u""}},
      {"external entity by relative path",
       "<!DOCTYPE d [<!ENTITY ext SYSTEM 'secret.txt'>]>"
       "<d><linebreak><i>&ext;</i></linebreak></d>",
       LoadResult::kLoaded,
       {u""}},
      {"external DTD subset",
       "<!DOCTYPE d SYSTEM '" + secret_dtd +
           "'>"
           "<d><linebreak><i>&leak;</i></linebreak></d>",
       LoadResult::kLoaded,
       {u""}},
      {"external parameter entity",
       "<!DOCTYPE d [<!ENTITY % ext SYSTEM '" + secret_dtd +
           "'> %ext;]>"
           "<d><linebreak><i>&leak;</i></linebreak></d>",
       LoadResult::kNotLoaded,
       {}},
      {"entity on the network",
       "<!DOCTYPE d [<!ENTITY net SYSTEM 'http://127.0.0.1:9/x.txt'>]>"
       "<d><linebreak><i>&net;</i></linebreak></d>",
       LoadResult::kLoaded,
       {u""}},
  };
  ::testing::internal::CaptureStderr();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.what) + "\n" + c.xml);
    std::unique_ptr<XmlDocument> doc = LoadXml(c.xml, c.result);
    if (doc == nullptr || c.result != LoadResult::kLoaded) continue;
    EXPECT_EQ(SectionItems(*doc, u"linebreak"), c.items);
    EXPECT_EQ(SectionTexts(*doc, u"d"), Texts{c.items.back()});
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

std::string EntityChain(const std::string& base, int levels, int fan_out,
                        const std::string& body) {
  std::string xml = "<!DOCTYPE d [<!ENTITY e0 '" + base + "'>";
  for (int level = 1; level < levels; ++level) {
    xml += "<!ENTITY e" + std::to_string(level) + " '";
    for (int i = 0; i < fan_out; ++i)
      xml += "&e" + std::to_string(level - 1) + ";";
    xml += "'>";
  }
  return xml + "]><d>" + body + "</d>";
}

TEST_F(Libxml2ReaderTest, RefusesEntityAmplification) {
  const std::string big(20000, 'a');
  std::string empty_elements;
  for (int i = 0; i < 5000; ++i) empty_elements += "<x/>";
  std::string many_refs;
  for (int i = 0; i < 5000; ++i) many_refs += "&e0;";
  const struct {
    const char* what;
    std::string xml;
  } cases[] = {
      {"billion laughs",
       EntityChain("lol", 10, 10, "<linebreak>&e9;</linebreak>")},
      {"billion elements",
       EntityChain("<linebreak/>", 10, 10, "<linebreak>&e9;</linebreak>")},
      // The tree holds one copy of the text, but every walk would expand it.
      {"big entity referenced often",
       EntityChain(big, 1, 0, "<linebreak>" + many_refs + "</linebreak>")},
      {"many elements referenced often",
       EntityChain(empty_elements, 1, 0,
                   "<linebreak>" + many_refs + "</linebreak>")},
  };
  ::testing::internal::CaptureStderr();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadXml(c.xml, LoadResult::kNotLoaded);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  // Modest reuse of entities stays readable.
  const struct {
    const char* what;
    std::string xml;
    size_t length;
  } modest[] = {
      {"nested entities",
       EntityChain("xyz", 3, 4, "<linebreak><i>&e2;</i></linebreak>"), 48},
      {"big entity referenced a hundred times",
       EntityChain(
           big, 1, 0,
           "<linebreak><i>" + many_refs.substr(0, 400) + "</i></linebreak>"),
       2000000},
  };
  for (const auto& c : modest) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<XmlDocument> doc = LoadXml(c.xml);
    if (doc == nullptr) continue;
    const Texts items = SectionItems(*doc, u"linebreak");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].size(), c.length);
  }
}

// ---- Lifetime
// -----------------------------------------------------------------

TEST_F(Libxml2ReaderTest, NodesOutliveTheirDocument) {
  std::unique_ptr<XmlDocument> first =
      Load(Write(u"a.xml", "<d><linebreak><i>a1</i><i>a2</i></linebreak></d>"),
           LoadResult::kLoaded);
  std::unique_ptr<XmlDocument> second =
      Load(Write(u"b.xml", "<d><linebreak><i>b1</i></linebreak></d>"),
           LoadResult::kLoaded);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);

  // Two documents at once answer independently.
  EXPECT_EQ(SectionItems(*first, u"linebreak"), (Texts{u"a1", u"a2"}));
  EXPECT_EQ(SectionItems(*second, u"linebreak"), Texts{u"b1"});

  std::unique_ptr<XmlNodeList> sections;
  ASSERT_TRUE(first->GetElementsByTagName(u"linebreak", &sections));
  std::unique_ptr<XmlNode> section = sections->GetItem(0);
  ASSERT_NE(section, nullptr);
  std::unique_ptr<XmlNodeList> items;
  ASSERT_TRUE(section->GetChildNodes(&items));

  // Loading another file into the same document leaves old nodes intact.
  EXPECT_EQ(first->Load(PathIn(u"b.xml")), LoadResult::kLoaded);
  EXPECT_EQ(SectionItems(*first, u"linebreak"), Texts{u"b1"});
  EXPECT_EQ(TextOf(*section), u"a1a2");

  first.reset();
  second.reset();
  std::unique_ptr<XmlNode> later = sections->GetItem(0);
  sections.reset();
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(TextOf(*later), u"a1a2");
  std::unique_ptr<XmlNode> item = items->GetItem(1);
  items.reset();
  section.reset();
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(TextOf(*item), u"a2");
}

TEST_F(Libxml2ReaderTest, UnloadedDocumentHasNoElements) {
  std::unique_ptr<XmlDocument> doc = m_reader.CreateDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(SectionItems(*doc, u"linebreak"), Texts{});
  ASSERT_EQ(doc->Load(Write(u"doc.xml", "<linebreak><i>a</i></linebreak>")),
            LoadResult::kLoaded);
  EXPECT_EQ(SectionItems(*doc, std::u16string(u"linebreak\xd800")), Texts{});
  // A failed load forgets the document loaded before.
  EXPECT_EQ(doc->Load(PathIn(u"missing.xml")), LoadResult::kNotLoaded);
  EXPECT_EQ(SectionItems(*doc, u"linebreak"), Texts{});
}

}  // namespace
}  // namespace vellumtrace

namespace vellumtrace {
namespace {

int64_t g_now = 0;
int64_t FakeNow() { return g_now; }

// A file's version is trusted (cached) only once it is more than two
// seconds old by the reader's clock, whatever the clock says.
TEST(Libxml2ReaderIdentity, AVersionIsSettledOnlyPastTwoSeconds) {
  const fs::path file = fs::temp_directory_path() / ("vellumtrace_settle_" + std::to_string(getpid()));
  std::ofstream(file) << "<d/>";
  constexpr int64_t kSecond = 1000 * 1000 * 1000;
  const struct timespec times[2] = {{1700000000, 250}, {1700000000, 250}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  const int64_t modified = int64_t{1700000000} * kSecond + 250;
  const struct {
    int64_t age;
    bool settled;
  } cases[] = {{-kSecond, false}, {0, false}, {1, false},           {kSecond, false},
               {2 * kSecond, false}, {2 * kSecond + 1, true}, {3600 * kSecond, true}};
  Libxml2Reader reader(&FakeNow);
  for (const auto& c : cases) {
    g_now = modified + c.age;
    FileIdentity identity;
    ASSERT_TRUE(reader.Identify(testing::U16Path(file), &identity));
    EXPECT_EQ(identity.modified, modified);
    EXPECT_EQ(identity.settled, c.settled) << "age " << c.age << " ns";
  }
  fs::remove(file);
}

}  // namespace
}  // namespace vellumtrace
