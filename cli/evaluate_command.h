#ifndef VELLUMTRACE_CLI_EVALUATE_COMMAND_H_
#define VELLUMTRACE_CLI_EVALUATE_COMMAND_H_

#include <CLI/CLI.hpp>

namespace vellumtrace {

// The "evaluate" subcommand: summarises a folder of documents and prints
// ROUGE-1, -2 and -Lsum against the reference summaries of the same names.
void AddEvaluateCommand(CLI::App& app);

// True when the parsed command line chose "evaluate".
bool IsEvaluateCommandChosen(const CLI::App& app);

// Runs the parsed "evaluate" command; returns the exit status (0 done,
// 1 bad input: a folder, file or dictionary that cannot be read, 2 usage).
int RunEvaluateCommand(const CLI::App& app);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_EVALUATE_COMMAND_H_
