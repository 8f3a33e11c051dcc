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
#include <vector>

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

  // 0 selects nothing; larger numbers than 100 clamp, however long.
  Outcome none = Run(Dictionary() + " --percent 0", "Some text.");
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(none.out, "");
  for (const char* percent : {"150", "99999999999", "123456789012345678901234567890"}) {
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
  // Decimal numbers and non-empty paths only: each of these once passed
  // silently (octal, hex, a lifted bound, an ignored path).
  for (const char* options :
       {"--percent ten", "--percent ''", "--percent -5", "--percent 010", "--percent 0x10",
        "--percent +5", "--percent 1e2", "--percent= 5", "--max-length -1", "--max-length ''",
        "--max-length 010", "--max-length 0x10", "--max-length 5.0", "--max-length= 5",
        "--dictionary ''", "--debug-output ''", "--debug-output="}) {
    Outcome o = Run(options, "Text.");
    EXPECT_EQ(o.status, 2) << options << ": " << o.err;
    EXPECT_EQ(o.out, "") << options;
  }
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
                          (testing::CliBinary().parent_path().parent_path() / "share" / "vellumtrace" /
                           "dic" / "zz.xml").string() +
                          ": not found\n");
  const fs::path malformed = Write("bad.xml", "<d><linebreak></d>");
  Outcome bad = Run("--dictionary '" + malformed.string() + "'", "One. Two.");
  EXPECT_EQ(bad.status, 3);
  EXPECT_EQ(bad.err, "ZEV: Dictionary File not found\nZEV: dictionary " + malformed.string() +
                         ": not well-formed at line 1, column 19\n");
}

TEST_F(CliTest, HostileInputIsRefusedPromptlyWithItsPlace) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::string command;  // shell words before the redirections
    std::string input;
    int status;
    std::string inMessage;
  };
  const std::string tool = "'" + testing::CliBinary().string() + "' " + Dictionary();
  const std::vector<Case> cases = {
      // Endless streams end at the bound, not when memory runs out.
      {"yes", "{ yes | timeout 120 " + tool + "; }", "", 1,
       "over the bound of 49999 UTF-16 code units (reading stopped after"},
      {"zeros", "{ timeout 120 " + tool + " --max-length 0 </dev/zero; }", "", 1,
       "holds a NUL byte at byte offset 0"},
      {"long file", tool + " --max-length 10", std::string(1 << 20, 'a'), 1,
       "reading stopped after"},
      {"bound holds", tool + " --max-length 2 --percent 100", "\xEF\xBB\xBF\xE2\x82\xAC\xE2\x82\xAC",
       0, ""},
      {"UTF-16 without mark", tool, "T\0h\0e\0"s, 1,
       "NUL byte at byte offset 1 (line 1, column 2): it looks like UTF-16"},
      {"UTF-16 with mark", tool, "\xFF\xFET\0h\0"s, 1, "UTF-16 byte-order mark"},
      {"UTF-16 big-endian with mark", tool, "\xFE\xFF\0T\0h"s, 1, "UTF-16 byte-order mark"},
      // A bound past what a size can hold saturates: it bounds nothing.
      {"bound saturates", tool + " --max-length 99999999999999999999999 --percent 100", "Bees fly.",
       0, ""},
      {"one NUL is no UTF-16", tool, "ab\n\0"s, 1, "(line 2, column 1): a text holds none"},
      {"NUL in UTF-8", tool, "\xEF\xBB\xBF" "ab\ncd\0ef"s, 1,
       "NUL byte at byte offset 8 (line 2, column 3): a text holds none"},
      {"invalid before NUL", tool, "a\xC3(\0"s, 1, "not valid UTF-8: invalid byte sequence at byte offset 1"},
      {"help to a full disk", "{ " + tool + " --help >/dev/full; }", "", 1, "cannot write"},
      {"version to a full disk", "{ " + tool + " --version >/dev/full; }", "", 1, "cannot write"},
  };
  for (const Case& c : cases) {
    Outcome o = testing::RunCommand(c.command, Write("stdin", c.input), m_dir);
    EXPECT_EQ(o.status, c.status) << c.name << ": " << o.err;
    EXPECT_NE(o.err.find(c.inMessage), std::string::npos) << c.name << ": " << o.err;
  }
}

TEST_F(CliTest, TheDumpNeverDestroysWhatTheRunReads) {
  const std::string text = "One. Two.";
  const fs::path input = Write("text.txt", text);
  const fs::path kept = Write("kept.txt", "keep me");
  fs::create_hard_link(m_dir / "dictionary.xml", m_dir / "linked.xml");
  const std::string dictionary = ReadFile(m_dir / "dictionary.xml");
  auto quoted = [](const fs::path& path) { return " '" + path.string() + "'"; };
  struct Case {
    const char* name;
    std::string arguments;
    int status;
  };
  const Case cases[] = {
      {"empty value takes no next word", "--debug-output=" + quoted(input), 2},
      {"dump is the dictionary", "--debug-output" + quoted(m_dir / "dictionary.xml"), 2},
      {"dump is the dictionary by another name", "--debug-output" + quoted(m_dir / "linked.xml"), 2},
      {"dump is the input", "--debug-output" + quoted(input) + quoted(input), 2},
      {"dump is the standard input", "--debug-output" + quoted(m_dir / "stdin"), 2},
      {"dump opened only once the input is good", "--debug-output" + quoted(kept), 1},
  };
  for (const Case& c : cases) {
    Outcome o = Run(Dictionary() + " " + c.arguments, c.status == 1 ? "bad \xC3" : text);
    EXPECT_EQ(o.status, c.status) << c.name << ": " << o.err;
    EXPECT_EQ(ReadFile(input), text) << c.name;
    EXPECT_EQ(ReadFile(m_dir / "dictionary.xml"), dictionary) << c.name;
    EXPECT_EQ(ReadFile(kept), "keep me") << c.name;
  }
}

TEST_F(CliTest, BundledEnglishDictionaryLoads) {
  Outcome o = Run("--percent 100", "Dr. Smith arrived. He left.");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
}

}  // namespace
}  // namespace vellumtrace
