#ifndef VELLUMTRACE_TESTS_SUPPORT_COMMAND_RUNNER_H_
#define VELLUMTRACE_TESTS_SUPPORT_COMMAND_RUNNER_H_

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vellumtrace::testing {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// What a command left: its exit status and both output streams.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the shell command line `command` with standard input from `input`
// and both outputs captured in files of `scratch`.
inline Outcome RunCommand(const std::string& command, const std::filesystem::path& input,
                          const std::filesystem::path& scratch) {
  const std::filesystem::path out = scratch / "stdout";
  const std::filesystem::path err = scratch / "stderr";
  std::ostringstream line;
  line << command << " <'" << input.string() << "' >'" << out.string() << "' 2>'"
       << err.string() << "'";
  const int raw = std::system(line.str().c_str());
  Outcome outcome;
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  outcome.out = ReadFile(out);
  outcome.err = ReadFile(err);
  return outcome;
}

}  // namespace vellumtrace::testing

#endif  // VELLUMTRACE_TESTS_SUPPORT_COMMAND_RUNNER_H_
