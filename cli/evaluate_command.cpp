#include "cli/evaluate_command.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/exit_status.h"
#include "cli/option_values.h"
#include "cli/progress_bar.h"
#include "engine/summarizer_engine.h"
#include "evaluation/evaluation_corpus.h"
#include "evaluation/evaluation_report.h"
#include "evaluation/evaluation_run.h"
#include "platform/linux/linux_platform.h"
#include "text/utf_codec.h"

namespace vellumtrace {
namespace {

constexpr const char* kName = "evaluate";

// As Fail, under the subcommand's name.
int FailEvaluate(int status, const std::string& message) {
  std::fprintf(stderr, "vellumtrace evaluate: %s\n", message.c_str());
  return status;
}

template <typename T>
T OptionValue(const CLI::App& command, const std::string& name) {
  return command.get_option(name)->as<T>();
}

bool IsGiven(const CLI::App& command, const std::string& name) {
  return command.get_option(name)->count() > 0;
}

}  // namespace

void AddEvaluateCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      kName,
      "Summarise every document of a folder and print ROUGE-1, ROUGE-2 and "
      "ROUGE-Lsum (precision, recall, F1, averaged over the documents) "
      "against the reference summaries of the same names.");
  command->add_option("--docs", "Folder of documents (UTF-8 text files)")
      ->required()
      ->type_name("DIR");
  command
      ->add_option("--refs",
                   "Folder of reference summaries, one sentence per line, "
                   "named like the documents")
      ->required()
      ->type_name("DIR");
  auto* dictionary =
      command->add_option("--dictionary", "Dictionary file to use instead of a language")
          ->type_name("PATH")
          ->check(kNonEmpty);
  command
      ->add_option("--language", "Language code: uses dic/CODE.xml of the installed data")
      ->type_name("CODE")
      ->default_str("en")
      ->excludes(dictionary);
  auto* length =
      command
          ->add_option("--length",
                       "'reference': each document gets the percent of its "
                       "words that its reference holds (whitespace-separated "
                       "words, rounded to a whole percent)")
          ->check(CLI::IsMember({"reference"}));
  command->add_option("--percent", "Share of the words to keep, 0..100")
      ->type_name("N")
      ->default_str("20")
      ->check(kDecimal)
      ->check(CLI::Range(0, 100))
      ->excludes(length);
  command
      ->add_option("--baseline",
                   "'lead': also score the sentences in text order up to the "
                   "same share of the words")
      ->check(CLI::IsMember({"lead"}));
  command->add_flag("--json")->description(
      "Print one JSON object (scores as fractions in 0..1, with "
      "every document's figures) instead of the table");
}

bool IsEvaluateCommandChosen(const CLI::App& app) {
  return app.get_subcommand(kName)->parsed();
}

int RunEvaluateCommand(const CLI::App& app) {
  const CLI::App& command = *app.get_subcommand(kName);

  LinuxPlatform platform;
  SummarizerEngine engine(platform.Services());
  EvaluationSettings settings;
  std::string dictionaryLabel;
  if (IsGiven(command, "--dictionary")) {
    dictionaryLabel = OptionValue<std::string>(command, "--dictionary");
    if (!DecodeUtf8(dictionaryLabel, &settings.dictionaryPath, nullptr)) {
      return FailEvaluate(kExitUsage, "--dictionary: the path is not valid UTF-8");
    }
  } else {
    const auto code = OptionValue<std::string>(command, "--language");
    std::u16string wideCode;
    if (code.empty() || code.find_first_of("/\\:") != std::string::npos ||
        !DecodeUtf8(code, &wideCode, nullptr)) {
      return FailEvaluate(kExitUsage,
                  "--language takes a language code such as 'en', not a path "
                  "(use --dictionary for a file): '" + code + "'");
    }
    settings.dictionaryPath = engine.DictionaryPathFor(wideCode);
    dictionaryLabel = EncodeUtf8(settings.dictionaryPath);
  }
  settings.lengthFromReference = IsGiven(command, "--length");
  settings.percent = OptionValue<int>(command, "--percent");
  settings.withLead = IsGiven(command, "--baseline");
  const bool json = IsGiven(command, "--json");

  // A missing or malformed dictionary would give a summary of one long
  // sentence per document: figures that mean nothing. Refuse instead.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(dictionaryLabel, ec)) {
    return FailEvaluate(kExitBadInput, "no dictionary file '" + dictionaryLabel + "'");
  }
  engine.SetDictionaryPath(settings.dictionaryPath);
  if (engine.Analyse(u"").dictionaryStatus != DictionaryStatus::kLoaded) {
    return FailEvaluate(kExitBadInput, "the dictionary '" + dictionaryLabel +
                                   "' cannot be loaded (is it well-formed XML?)");
  }

  std::vector<EvaluationDocument> documents;
  std::string error;
  if (!ReadEvaluationCorpus(OptionValue<std::string>(command, "--docs"),
                            OptionValue<std::string>(command, "--refs"),
                            &documents, &error)) {
    return FailEvaluate(kExitBadInput, error);
  }

  EvaluationResult result;
  {
    ProgressBar bar(stderr);
    result = RunEvaluation(engine, documents, settings,
                           [&bar](size_t done, size_t total) { bar.Show(done, total); });
  }
  if (result.dictionaryFailed) {
    return FailEvaluate(kExitBadInput, "the dictionary '" + dictionaryLabel +
                                   "' could not be loaded during the run");
  }

  const EvaluationReportHeader header{dictionaryLabel, &settings};
  const std::string report = json ? FormatEvaluationJson(header, result)
                                  : FormatEvaluationTable(header, result);
  if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() ||
      std::fflush(stdout) != 0) {
    return FailEvaluate(kExitBadInput, "cannot write the result to standard output");
  }
  return kExitSuccess;
}

}  // namespace vellumtrace
