// The evaluate command as a user runs it: exit statuses, messages that
// name the culprit, and the report on standard output.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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
using testing::WriteFile;

class EvaluateCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vellumtrace_evalcli_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    fs::create_directories(m_root / "docs");
    fs::create_directories(m_root / "refs");
    WriteFile(m_root / "dic.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<dic>"
              "<linebreak><i>.</i></linebreak>"
              "<step1_post><i>.</i></step1_post></dic>\n");
    WriteFile(m_root / "docs" / "a.txt", "Zeta eta. Theta.\n");
    WriteFile(m_root / "refs" / "a.txt", "Zeta eta.\nTheta.\n");
  }
  void TearDown() override { fs::remove_all(m_root); }

  // Runs "vellumtrace evaluate" with `arguments` (already shell-quoted).
  Outcome Run(const std::string& arguments) {
    return testing::RunCommand(testing::CliBinary().string() + " evaluate " + arguments,
                               "/dev/null", m_root);
  }

  std::string Folders() const {
    return "--docs " + (m_root / "docs").string() + " --refs " +
           (m_root / "refs").string();
  }
  std::string Dictionary() const {
    return " --dictionary " + (m_root / "dic.xml").string();
  }

  fs::path m_root;
};

TEST_F(EvaluateCommandTest, RefusesBadInputAndBadUsage) {
  struct Case {
    std::string name;
    std::string arguments;
    int status;
    std::string inMessage;
  };
  const std::string docs = (m_root / "docs").string();
  const std::string refs = (m_root / "refs").string();
  const std::vector<Case> cases = {
      {"docs folder missing",
       "--docs " + docs + "/none --refs " + refs + Dictionary(), 1,
       docs + "/none"},
      {"refs folder missing",
       "--docs " + docs + " --refs " + refs + "/none" + Dictionary(), 1,
       refs + "/none"},
      {"dictionary missing", Folders() + " --dictionary " + docs + "/no.xml",
       1, docs + "/no.xml"},
      {"no --docs", "--refs " + refs + Dictionary(), 2, "--docs"},
      {"percent and length", Folders() + Dictionary() +
                                 " --percent 5 --length reference",
       2, "--percent"},
      {"percent out of range", Folders() + Dictionary() + " --percent 150", 2,
       "--percent"},
      {"unknown baseline", Folders() + Dictionary() + " --baseline first", 2,
       "--baseline"},
      {"language and dictionary", Folders() + Dictionary() + " --language en",
       2, "--language"},
      // Numbers are decimal only: these once read as 8, 16, 0 or 10.
      {"octal percent", Folders() + Dictionary() + " --percent 010", 2, "--percent"},
      {"hex percent", Folders() + Dictionary() + " --percent 0x10", 2, "--percent"},
      {"empty percent", Folders() + Dictionary() + " --percent ''", 2, "--percent"},
      {"percent with =", Folders() + Dictionary() + " --percent= 10", 2, "--percent="},
      {"decimal point", Folders() + Dictionary() + " --percent 10.0", 2, "--percent"},
      {"empty dictionary", Folders() + " --dictionary ''", 2, "--dictionary"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.name << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find(c.inMessage), std::string::npos)
        << c.name << ": " << outcome.err;
    EXPECT_EQ(outcome.out, "") << c.name;
  }
}

TEST_F(EvaluateCommandTest, NamesTheFileThatIsMissingOrNotUtf8) {
  WriteFile(m_root / "docs" / "b.txt", "Caf\xC3 au lait.\n");
  WriteFile(m_root / "refs" / "b.txt", "Cafe.\n");
  Outcome outcome = Run(Folders() + Dictionary());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("b.txt is not valid UTF-8"), std::string::npos)
      << outcome.err;

  fs::remove(m_root / "refs" / "b.txt");
  outcome = Run(Folders() + Dictionary());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("no reference for"), std::string::npos)
      << outcome.err;
}

TEST_F(EvaluateCommandTest, PrintsTheTableAndTheJson) {
  // At 100% both methods return the whole text, which is the reference.
  Outcome outcome =
      Run(Folders() + Dictionary() + " --percent 100 --baseline lead");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  // No progress bar: standard error is no terminal here.
  EXPECT_EQ(outcome.err, "");
  const std::string expected =
      "documents: 1   dictionary: " + (m_root / "dic.xml").string() +
      "   length: 100% of the words\n"
      "          ROUGE-1                ROUGE-2                ROUGE-Lsum\n"
      "               P      R      F        P      R      F        P      R"
      "      F\n"
      "system    100.00 100.00 100.00  100.00 100.00 100.00  100.00 100.00 "
      "100.00\n"
      "lead      100.00 100.00 100.00  100.00 100.00 100.00  100.00 100.00 "
      "100.00\n";
  EXPECT_EQ(outcome.out, expected);

  WriteFile(m_root / "refs" / "a.txt", "Zeta eta.\n");
  outcome = Run(Folders() + Dictionary() + " --length reference --json");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto byReference = nlohmann::json::parse(outcome.out, nullptr, false);
  ASSERT_FALSE(byReference.is_discarded()) << outcome.out;
  EXPECT_EQ(byReference["length"], "reference");
  EXPECT_EQ(byReference["documents"], 1);
  // The reference holds 2 of the document's 3 words: 67%.
  EXPECT_EQ(byReference["perDocument"][0]["name"], "a.txt");
  EXPECT_EQ(byReference["perDocument"][0]["percent"], 67);
  EXPECT_GT(byReference["system"]["rouge1"]["f1"].get<double>(), 0.0);
  EXPECT_FALSE(byReference.contains("lead"));

  // A file name that is no UTF-8 still gives valid JSON.
  WriteFile(m_root / "docs" / "bad\xFFname.txt", "Zeta. Eta.\n");
  WriteFile(m_root / "refs" / "bad\xFFname.txt", "Zeta.\n");
  outcome = Run(Folders() + Dictionary() + " --json");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto json = nlohmann::json::parse(outcome.out, nullptr, false);
  ASSERT_FALSE(json.is_discarded()) << outcome.out;
  EXPECT_EQ(json["perDocument"][1]["name"], "bad\uFFFDname.txt");
}

}  // namespace
}  // namespace vellumtrace
