// The command-line tool as a user runs it: exit statuses, messages and
// byte-exact output.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/command_runner.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;
using testing::ReadFile;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("vellumtrace_cli_test_" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
    Write("dictionary.xml",
          "<d><linebreak><i>.</i></linebreak><step1_post><i>.</i></step1_post>"
          "<grader-tc><i>the</i></grader-tc></d>");
  }
  void TearDown() override { fs::remove_all(m_dir); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    testing::WriteFile(m_dir / name, bytes);
    return m_dir / name;
  }
  // Runs the tool with `args` (shell words) and `input` on standard input.
  Outcome Run(const std::string& args, const std::string& input = "") {
    return testing::RunCommand("'" + testing::CliBinary().string() + "' " + args,
                               Write("stdin", input), m_dir);
  }
  std::string Dictionary() const { return "--dictionary '" + (m_dir / "dictionary.xml").string() + "'"; }

  fs::path m_dir;
};

TEST_F(CliTest, SummarisesByteExactFromFileOrStandardInput) {
  const std::string text = "\xEF\xBB\xBFThe caf\xC3\xA9 opens. The caf\xC3\xA9 closes late. Rain.";
  const fs::path file = Write("text.txt", text);
  Outcome fromFile = Run(Dictionary() + " --percent 40 '" + file.string() + "'");
  EXPECT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, "The caf\xC3\xA9 closes late. ");
  EXPECT_EQ(fromFile.err, "");
  Outcome fromStdin = Run(Dictionary() + " --percent 40", text);
  EXPECT_EQ(fromStdin.out, fromFile.out);
  Outcome dash = Run(Dictionary() + " --percent 40 -", text);
  EXPECT_EQ(dash.out, fromFile.out);

  Outcome html = Run(Dictionary() + " --percent 0 --format html", "a<b");
  EXPECT_EQ(html.status, 0);
  EXPECT_NE(html.out.find("<span>a&lt;b   </span>"), std::string::npos) << html.out;
  EXPECT_TRUE(html.out.ends_with("</body></html>\n"));

  // -5 is a value, clamped to 0: nothing selected, empty result.
  Outcome negative = Run(Dictionary() + " --percent -5", "Some text.");
  EXPECT_EQ(negative.status, 0) << negative.err;
  EXPECT_EQ(negative.out, "");
  for (const char* percent : {"150", "99999999999"}) {
    Outcome all = Run(Dictionary() + " --percent " + percent, "Some text.");
    EXPECT_EQ(all.out, "Some text.   ") << percent;
  }
}

TEST_F(CliTest, DebugOutputGoesWhereAsked) {
  const fs::path dump = m_dir / "dump.txt";
  Outcome o = Run(Dictionary() + " --percent 100 --debug-output '" + dump.string() + "'", "Hi.");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "Hi.   ");
  const std::string dumped = ReadFile(dump);
  EXPECT_TRUE(dumped.starts_with("\nContents of manual\nContents of Parser Break\n.")) << dumped;
  EXPECT_TRUE(dumped.ends_with("\n word = \t stem = \t occurence =1")) << dumped;
  Outcome toStderr = Run(Dictionary() + " --percent 100 --debug-output -", "Hi.");
  EXPECT_EQ(toStderr.err, dumped);
  Outcome unwritable = Run(Dictionary() + " --debug-output /nonexistent/dir/dump", "Hi.");
  EXPECT_EQ(unwritable.status, 1);
}

TEST_F(CliTest, BadInputIsRefusedWithAClearMessage) {
  Outcome missing = Run(Dictionary() + " '" + (m_dir / "nope.txt").string() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nope.txt"), std::string::npos) << missing.err;

  Outcome invalid = Run(Dictionary(), "ok\nab\xC3(x");
  EXPECT_EQ(invalid.status, 1);
  EXPECT_NE(invalid.err.find("byte offset 5 (line 2, column 3)"), std::string::npos) << invalid.err;
  EXPECT_EQ(invalid.out, "");
  for (const char* bytes : {"\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80", "\xE2\x82"}) {
    EXPECT_EQ(Run(Dictionary(), bytes).status, 1) << "bytes of length " << std::strlen(bytes);
  }

  const std::string atBound(49999, 'a');
  EXPECT_EQ(Run(Dictionary() + " --percent 100", atBound).status, 0);
  Outcome over = Run(Dictionary(), atBound + "a");
  EXPECT_EQ(over.status, 1);
  EXPECT_NE(over.err.find("50000"), std::string::npos) << over.err;
  EXPECT_NE(over.err.find("49999"), std::string::npos) << over.err;
  EXPECT_NE(over.err.find("--max-length 0"), std::string::npos) << over.err;
  EXPECT_EQ(over.out, "");
  Outcome lifted = Run(Dictionary() + " --percent 100 --max-length 0", atBound + "a");
  EXPECT_EQ(lifted.status, 0);
  EXPECT_EQ(lifted.out.size(), 50000u + 3u);
  // A supplementary character counts two code units.
  EXPECT_EQ(Run(Dictionary() + " --max-length 3", "a\xF0\x9F\x90\x9D").status, 0);
  EXPECT_EQ(Run(Dictionary() + " --max-length 2", "a\xF0\x9F\x90\x9D").status, 1);
}

TEST_F(CliTest, UsageErrorsAndTheMissingDictionary) {
  for (const char* code : {"../en", "a/b", "c:\\\\x", "x:y"}) {
    Outcome o = Run(std::string("--language '") + code + "'", "Text.");
    EXPECT_EQ(o.status, 2) << code;
    EXPECT_EQ(o.out, "") << code;
  }
  EXPECT_EQ(Run("--percent ten", "x").status, 2);
  EXPECT_EQ(Run("--format pdf", "x").status, 2);
  EXPECT_EQ(Run("--no-such-option", "x").status, 2);
  EXPECT_EQ(Run(Dictionary() + " --language en", "x").status, 2);

  Outcome help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--max-length"), std::string::npos);
  Outcome version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("vellumtrace"), std::string::npos);

  Outcome none = Run("--language zz --percent 100", "One. Two.");
  EXPECT_EQ(none.status, 3);
  EXPECT_EQ(none.out, "One. Two.   ");
  // The notice as it always was, then the real reason on its own line.
  EXPECT_EQ(none.err, "ZEV: Dictionary File not found\nZEV: dictionary " +
                          (testing::CliBinary().parent_path() / "dic" / "zz.xml").string() +
                          ": not found\n");
  const fs::path malformed = Write("bad.xml", "<d><linebreak></d>");
  Outcome bad = Run("--dictionary '" + malformed.string() + "'", "One. Two.");
  EXPECT_EQ(bad.status, 3);
  EXPECT_EQ(bad.err, "ZEV: Dictionary File not found\nZEV: dictionary " + malformed.string() +
                         ": not well-formed at line 1, column 19\n");
}

TEST_F(CliTest, BundledEnglishDictionaryLoads) {
  Outcome o = Run("--percent 100", "Dr. Smith arrived. He left.");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
}

}  // namespace
}  // namespace vellumtrace
