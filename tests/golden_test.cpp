// Whole runs against golden files. Each folder of tests/golden holds:
//   text.txt         the input (UTF-8)
//   dictionary.xml   the dictionary (absent: the run has none)
//   options          lines "percent=N", "format=text|html", "alerts=N" (no
//                    other key: an unknown line fails the case)
//   result           the exact result (UTF-8)
//   dump             the exact joined debug output (UTF-8)
// tools/update_golden.sh rewrites result and dump with the command-line
// tool; review every change it makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

struct GoldenOptions {
  int percent = 20;
  bool html = false;
  size_t alerts = 0;
};

// Every line must be a known key: a typo must fail rather than run the case
// at the default.
GoldenOptions ReadOptions(const fs::path& folder) {
  GoldenOptions options;
  std::istringstream lines(ReadFile(folder / "options"));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    const std::string key = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
    if (key == "percent") {
      options.percent = std::stoi(value);
    } else if (key == "format" && (value == "html" || value == "text")) {
      options.html = value == "html";
    } else if (key == "alerts") {
      options.alerts = std::stoul(value);
    } else {
      ADD_FAILURE() << "unknown option line '" << line << "' in " << folder / "options";
    }
  }
  return options;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& dir : fs::directory_iterator(testing::SourceDir() / "tests" / "golden")) {
    if (dir.is_directory()) names.push_back(dir.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, MatchesExactly) {
  const fs::path folder = testing::SourceDir() / "tests" / "golden" / GetParam();
  const GoldenOptions options = ReadOptions(folder);
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(testing::U16Path(folder / "dictionary.xml"));
  engine.SetOutputStyle(options.html ? OutputStyle::kHtml : OutputStyle::kPlainText);
  const std::u16string result =
      engine.RunSummary(Decode(ReadFile(folder / "text.txt")), options.percent);
  EXPECT_EQ(EncodeUtf8(result), ReadFile(folder / "result"));
  EXPECT_EQ(EncodeUtf8(platform.debug.Joined()), ReadFile(folder / "dump"));
  EXPECT_EQ(platform.alert.shown.size(), options.alerts);
  EXPECT_EQ(platform.diagnostic.written, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace vellumtrace
