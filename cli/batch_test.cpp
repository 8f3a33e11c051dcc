// Batches: which files, where their results go, and that no result is ever
// half-written or lost when a file fails, the disk fills or threads race.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/atomic_file.h"
#include "cli/batch_names.h"
#include "cli/batch_plan.h"
#include "cli/batch_run.h"
#include "tests/support/command_runner.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("vellumtrace_batch_test_" + std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "in" / "sub");
    fs::create_directories(m_dir / "out");
    for (const char* name : {"b.txt", "a.txt", ".hidden.txt", "bad.txt", "sub/c.txt", "sub/c.json"}) {
      WriteFile(m_dir / "in" / name, std::string("text of ") + name);
    }
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::vector<std::string> Names(const std::vector<BatchItem>& items, bool outputs) {
    std::vector<std::string> names;
    for (const BatchItem& item : items) {
      const fs::path& path = outputs ? item.output : item.input;
      names.push_back(path.empty() ? "" : fs::relative(path, m_dir).string());
    }
    return names;
  }
  std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path m_dir;
};

TEST_F(BatchTest, PlansInputsAndOutputs) {
  const std::string in = (m_dir / "in").string();
  struct Case {
    std::vector<std::string> args;
    fs::path outputDir;
    std::vector<std::string> inputs, outputs;
    std::string error;  // a part of the message when the plan is refused
  } cases[] = {
      // A folder: its regular, visible files by name; not its subfolders.
      {{in}, m_dir / "out", {"in/a.txt", "in/b.txt", "in/bad.txt"},
       {"out/a.json", "out/b.json", "out/bad.json"}, ""},
      // Files keep the order given; without an output folder, no outputs.
      {{in + "/b.txt", in + "/sub/c.txt"}, {}, {"in/b.txt", "in/sub/c.txt"}, {"", ""}, ""},
      {{in + "/a.txt", in + "/missing.txt"}, m_dir / "out", {}, {}, "missing.txt"},
      // Two inputs, one output name.
      {{in + "/a.txt", in + "/a.txt"}, m_dir / "out", {}, {}, "would both be written"},
      // Two inputs of one stem: their results share a name.
      {{in + "/sub/c.txt", in + "/sub/c.json"}, m_dir / "out", {}, {}, "would both be written"},
      // Results written over the inputs themselves.
      {{in + "/sub/c.json"}, m_dir / "in" / "sub", {}, {}, "would overwrite the input"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " -> " + c.outputDir.string());
    std::vector<BatchItem> items;
    std::string error;
    const bool ok = PlanBatch(c.args, c.outputDir, "json", &items, &error);
    if (!c.error.empty()) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(Names(items, false), c.inputs);
    EXPECT_EQ(Names(items, true), c.outputs);
  }
}

// A work function that fails for "bad" files.
bool FakeWork(const fs::path& input, std::string* result, std::string* error) {
  if (input.filename() == "bad.txt") {
    *error = "refused";
    return false;
  }
  *result = "{\"r\":\"" + ReadFile(input) + "\"}\n";
  return true;
}

TEST_F(BatchTest, WritesEveryGoodFileWhateverTheThreadsAndReportsTheBadOne) {
  std::vector<BatchItem> items;
  std::string error;
  ASSERT_TRUE(PlanBatch({(m_dir / "in").string()}, m_dir / "out", "json", &items, &error));
  for (unsigned jobs : {1u, 2u, 8u}) {
    SCOPED_TRACE(jobs);
    fs::remove_all(m_dir / "out");
    fs::create_directories(m_dir / "out");
    std::FILE* errors = std::tmpfile();
    const BatchOutcome outcome = RunBatch(items, jobs, FakeWork, stdout, errors, nullptr);
    EXPECT_EQ(outcome.written, 2u);
    EXPECT_EQ(outcome.failed, 1u);
    EXPECT_EQ(DescribeBatchOutcome(outcome, items.size()), "2 of 3 files done, 1 failed");
    EXPECT_EQ(FilesIn(m_dir / "out"), (std::vector<std::string>{"a.json", "b.json"}));
    EXPECT_EQ(ReadFile(m_dir / "out" / "b.json"), "{\"r\":\"text of b.txt\"}\n");
    std::rewind(errors);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, errors), nullptr);
    EXPECT_NE(std::string(line).find("bad.txt': refused"), std::string::npos) << line;
    std::fclose(errors);
  }
}

TEST_F(BatchTest, StreamsResultsInInputOrderWithFailuresInPlace) {
  std::vector<BatchItem> items;
  std::string error;
  // Many items, so that threads finish out of order.
  std::vector<std::string> args;
  for (int i = 0; i < 40; ++i) {
    args.push_back((m_dir / "in" / (i % 10 == 3 ? "bad.txt" : "a.txt")).string());
  }
  ASSERT_TRUE(PlanBatch(args, {}, "json", &items, &error));
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    expected += i % 10 == 3
                    ? "{\"file\":\"" + (m_dir / "in" / "bad.txt").string() +
                          "\",\"error\":\"refused\"}\n"
                    : "{\"r\":\"text of a.txt\"}\n";
  }
  for (unsigned jobs : {1u, 3u}) {
    std::FILE* out = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    RunBatch(items, jobs, FakeWork, out, errors, nullptr);
    std::string got(static_cast<size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    ASSERT_EQ(std::fread(got.data(), 1, got.size(), out), got.size());
    EXPECT_EQ(got, expected) << jobs << " jobs";
    std::fclose(out);
    std::fclose(errors);
  }
}

TEST_F(BatchTest, AFullDiskLeavesNeitherAPartialResultNorATemporary) {
  // A file-size limit fails writes as a full disk does.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool big = WriteFileAtomically(m_dir / "out" / "big.txt", std::string(10000, 'x'), &error);
  const bool fits = WriteFileAtomically(m_dir / "out" / "fits.txt", std::string(100, 'y'), &error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(big);
  EXPECT_TRUE(fits);
  EXPECT_EQ(FilesIn(m_dir / "out"), std::vector<std::string>{"fits.txt"});
  // An existing result is replaced whole or not at all.
  EXPECT_TRUE(WriteFileAtomically(m_dir / "out" / "fits.txt", "new", &error));
  EXPECT_EQ(ReadFile(m_dir / "out" / "fits.txt"), "new");
}

TEST(BatchNamesTest, ShowsEveryNameInertAndReadable) {
  const struct {
    std::string name, shown;
  } cases[] = {
      {"plain name.txt", "'plain name.txt'"},
      {"caf\xC3\xA9 \xE6\x97\xA5.txt", "'caf\xC3\xA9 \xE6\x97\xA5.txt'"},  // UTF-8 passes
      {"a\nb\r\tc", "'a\\nb\\r\\tc'"},
      {"\x1B[2J\x07\x7F", "'\\x1B[2J\\x07\\x7F'"},
      {"it's \\", "'it\\'s \\\\'"},
      {"\xFF\xC3", "'\\xFF\\xC3'"},                // not UTF-8, or cut short
      {"\xC0\xAF\xED\xA0\x80", "'\\xC0\\xAF\\xED\\xA0\\x80'"},  // overlong, surrogate
      {"\xC2\x9B" "1m", "'\\u{009B}1m'"},          // C1 CSI
      {"x\xE2\x80\xAEgnp.exe", "'x\\u{202E}gnp.exe'"},  // right-to-left override
      {"\xE2\x80\xA8", "'\\u{2028}'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShownName(c.name), c.shown) << c.name;
  }
  EXPECT_EQ(JsonName("a\"\xFF"), "\"a\\\"\xEF\xBF\xBD\"");
}

// A batch that is not running: a child that has already ended.
pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST_F(BatchTest, RemovesOnlyTheTemporariesOfBatchesThatAreGone) {
  const fs::path out = m_dir / "out";
  const std::string dead = std::to_string(DeadPid());
  const std::string alive = std::to_string(::getppid());  // the test runner
  const std::string self = std::to_string(::getpid());
  int lockedFd = -1;
  const struct {
    std::string name;
    bool locked;    // held open and locked, as by its writer
    bool symlink;
    bool removed;
  } cases[] = {
      {".vellumtrace-" + dead + "-3.tmp", false, false, true},
      {".vellumtrace-" + dead + "-4.tmp", true, false, false},   // a writer holds it
      {".vellumtrace-" + alive + "-5.tmp", false, false, false},  // its batch still runs
      {".vellumtrace-" + self + "-6.tmp", false, false, false},
      {".vellumtrace-" + dead + "-7.tmp", false, true, false},   // not ours to remove
      {".vellumtrace-" + dead + "-8.txt", false, false, false},
      {".vellumtrace-x" + dead + "-9.tmp", false, false, false},
      {".result.html.AbC123", false, false, false},
      {"doc.html", false, false, false},
  };
  for (const auto& c : cases) {
    if (c.symlink) {
      fs::create_symlink("doc.html", out / c.name);
    } else {
      WriteFile(out / c.name, "part");
    }
    if (c.locked) {
      lockedFd = ::open((out / c.name).c_str(), O_RDONLY);
      ASSERT_EQ(::flock(lockedFd, LOCK_EX), 0);
    }
  }
  ResultFolder folder;
  std::string error;
  ASSERT_TRUE(folder.Open(out, &error)) << error;
  EXPECT_EQ(folder.RemoveDeadTemporaries(), 1u);
  for (const auto& c : cases) {
    EXPECT_EQ(fs::symlink_status(out / c.name).type() == fs::file_type::not_found, c.removed)
        << c.name;
  }
  ::close(lockedFd);
}

TEST_F(BatchTest, WritesNamesUpToTheLimitAndReplacesWithoutLeavingAName) {
  const mode_t savedMask = ::umask(022);
  const std::string longest(255, 'n');
  for (bool unnamedFirst : {true, false}) {
    SCOPED_TRACE(unnamedFirst ? "unnamed first" : "named temporaries");
    fs::remove_all(m_dir / "out");
    fs::create_directories(m_dir / "out");
    ResultFolder folder(unnamedFirst);
    std::string error;
    ASSERT_TRUE(folder.Open(m_dir / "out", &error)) << error;
    for (const std::string& name : {longest, std::string("r.txt")}) {
      SCOPED_TRACE(name.size());
      ASSERT_TRUE(folder.Write(name, "first", &error)) << error;
      ASSERT_TRUE(folder.Write(name, "second", &error)) << error;  // over an existing one
      EXPECT_EQ(ReadFile(m_dir / "out" / name), "second");
    }
    EXPECT_FALSE(folder.Write(longest + "n", "x", &error));
    EXPECT_EQ(FilesIn(m_dir / "out"), (std::vector<std::string>{longest, "r.txt"}));
    EXPECT_EQ(fs::status(m_dir / "out" / "r.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
  }
  ::umask(savedMask);
}

}  // namespace
}  // namespace vellumtrace
