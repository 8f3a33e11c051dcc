// The codec against hand-made cases: every boundary of the UTF-8 forms, the
// places errors are reported at, and both lone-surrogate policies.
#include "text/utf_codec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vellumtrace {
namespace {

TEST(UtfCodecTest, DecodesStrictlyAndEncodesBack) {
  struct Case {
    std::string bytes;
    std::u16string text;  // when valid
    std::optional<Utf8Error> error;
  };
  const std::string longAscii(37, 'a');  // crosses the eight-byte fast path
  std::vector<Case> cases = {
      {"", u"", {}},
      {longAscii + "\xC3\xA9" + longAscii, std::u16string(37, u'a') + u"\u00E9" +
                                               std::u16string(37, u'a'), {}},
      {"\x7F\xC2\x80\xDF\xBF", u"\u007F\u0080\u07FF", {}},
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", u"\u0800\uD7FF\uE000\uFFFF", {}},
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF", {}},
      // Invalid: the offset is the sequence's first byte, on any line.
      {"ok\nab\xC3(x", {}, Utf8Error{5, 2, 3}},
      {"abcdefgh\xC3", {}, Utf8Error{8, 1, 9}},          // truncated at the end
      {"\xE2\x82", {}, Utf8Error{0, 1, 1}},
      {"a\x80", {}, Utf8Error{1, 1, 2}},                   // stray continuation
      {"\xC0\xAF", {}, Utf8Error{0, 1, 1}},                // overlong
      {"\xC1\xBF", {}, Utf8Error{0, 1, 1}},
      {"\xE0\x9F\xBF", {}, Utf8Error{0, 1, 1}},
      {"\xF0\x8F\xBF\xBF", {}, Utf8Error{0, 1, 1}},
      {"x\n\n\xED\xA0\x80", {}, Utf8Error{3, 3, 1}},       // encoded surrogates
      {"\xED\xBF\xBF", {}, Utf8Error{0, 1, 1}},
      {"\xF4\x90\x80\x80", {}, Utf8Error{0, 1, 1}},        // over U+10FFFF
      {"\xF5\x80\x80\x80", {}, Utf8Error{0, 1, 1}},
      {"\xFF", {}, Utf8Error{0, 1, 1}},
  };
  // A character, or a bad byte, at every place of the sixteen- and
  // eight-byte blocks, with ASCII before and after.
  for (size_t at = 0; at < 34; ++at) {
    const std::string before(at, 'a');
    const std::string after(20, 'b');
    const std::u16string textBefore(at, u'a');
    const std::u16string textAfter(20, u'b');
    cases.push_back({before + "\xE2\x82\xAC" + after, textBefore + u"\u20AC" + textAfter, {}});
    cases.push_back({before + "\xC3\xA9\xC3\xA9" + after + before,
                     textBefore + u"\u00E9\u00E9" + textAfter + textBefore, {}});
    cases.push_back({before + "\x80" + after, {}, Utf8Error{at, 1, at + 1}});
  }
  for (const Case& c : cases) {
    std::u16string text = u"old";
    Utf8Error error;
    const bool ok = DecodeUtf8(c.bytes, &text, &error);
    EXPECT_EQ(ok, !c.error.has_value()) << c.bytes;
    // The check without a text agrees on everything but the text.
    size_t units = 0;
    Utf8Error checked;
    EXPECT_EQ(CheckUtf8(c.bytes, &units, &checked), ok) << c.bytes;
    EXPECT_EQ(units, text.size()) << c.bytes;
    EXPECT_EQ(checked.byteOffset, error.byteOffset) << c.bytes;
    if (ok) {
      EXPECT_EQ(text, c.text) << c.bytes;
      EXPECT_EQ(EncodeUtf8(text), c.bytes);
      EXPECT_EQ(RepairUtf8(c.bytes), c.bytes);
    } else {
      EXPECT_EQ(error.byteOffset, c.error->byteOffset) << c.bytes;
      EXPECT_EQ(error.line, c.error->line) << c.bytes;
      EXPECT_EQ(error.column, c.error->column) << c.bytes;
    }
  }
}

TEST(UtfCodecTest, LoneSurrogatesFollowThePolicy) {
  struct Case {
    std::u16string text;
    std::string replaced;
    std::string refusedPrefix;  // what kRefuse leaves before failing
  };
  const Case cases[] = {
      {u"a\xD800", "a\xEF\xBF\xBD", "a"},             // high at the end
      {u"\xDC00z", "\xEF\xBF\xBDz", ""},               // low alone
      {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80", ""},
      {u"b\xDBFF" u"c", "b\xEF\xBF\xBD" "c", "b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeUtf8(c.text), c.replaced);
    std::string out;
    EXPECT_FALSE(AppendUtf8(out, c.text, LoneSurrogate::kRefuse));
    EXPECT_EQ(out, c.refusedPrefix);
  }
  std::string pair;
  EXPECT_TRUE(AppendUtf8(pair, u"\xD83D\xDE00", LoneSurrogate::kRefuse));
  EXPECT_EQ(pair, "\xF0\x9F\x98\x80");
}

TEST(UtfCodecTest, RepairReplacesEveryBadByte) {
  EXPECT_EQ(RepairUtf8("bad\xFFname"), "bad\xEF\xBF\xBDname");
  EXPECT_EQ(RepairUtf8("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(RepairUtf8("\xC3\xA9\xED\xA0\x80"), "\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vellumtrace
