// Whole runs against golden files. Each folder of tests/golden holds:
//   text.txt         the input (UTF-8)
//   dictionary.xml   the dictionary (absent: the run has none)
//   options          lines "percent=N", "format=text|html", "alerts=N"
//   result           the exact result (UTF-8)
//   dump             the exact joined debug output (UTF-8)
// tools/update_golden.sh rewrites result and dump with the command-line
// tool; review every change it makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "text/utf_codec.h"
#include "engine/summarizer_engine.h"
#include "tests/support/command_runner.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;

std::u16string Decode(const std::string& bytes) {
  std::u16string text;
  Utf8Error error;
  EXPECT_TRUE(DecodeUtf8(bytes, &text, &error));
  return text;
}

TEST(Golden, EveryCaseMatchesExactly) {
  const fs::path root = testing::SourceDir() / "tests" / "golden";
  int cases = 0;
  for (const auto& dir : fs::directory_iterator(root)) {
    if (!dir.is_directory()) continue;
    ++cases;
    const fs::path folder = dir.path();
    const std::string name = folder.filename().string();
    int percent = 20;
    bool html = false;
    size_t alerts = 0;
    std::istringstream options(ReadFile(folder / "options"));
    for (std::string line; std::getline(options, line);) {
      if (line.starts_with("percent=")) percent = std::stoi(line.substr(8));
      if (line == "format=html") html = true;
      if (line.starts_with("alerts=")) alerts = std::stoul(line.substr(7));
    }
    testing::RecordingPlatform platform;
    SummarizerEngine engine(platform.Services());
    const fs::path dictionary = folder / "dictionary.xml";
    engine.m_dictionaryPath = testing::U16Path(dictionary);
    engine.m_htmlOutput = html ? 1 : 0;
    const std::u16string result =
        engine.RunSummary(Decode(ReadFile(folder / "text.txt")), percent);
    EXPECT_EQ(EncodeUtf8(result), ReadFile(folder / "result")) << name;
    EXPECT_EQ(EncodeUtf8(platform.debug.Joined()), ReadFile(folder / "dump")) << name;
    EXPECT_EQ(platform.alert.shown.size(), alerts) << name;
    EXPECT_EQ(platform.diagnostic.written, "") << name;
  }
  EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace vellumtrace
