#include "evaluation/evaluation_report.h"

#include <cstdio>
#include <utility>

#include <nlohmann/json.hpp>

namespace vellumtrace {
namespace {

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string TableRow(const std::string& label, const DocumentScore& score) {
  std::string row = label;
  row.resize(8, ' ');
  for (const RougeScore* figure :
       {&score.rouge1, &score.rouge2, &score.rougeLsum}) {
    row += Format("  %6.2f", figure->precision * 100.0);
    row += Format(" %6.2f", figure->recall * 100.0);
    row += Format(" %6.2f", figure->f1 * 100.0);
  }
  return row + "\n";
}

double MeanPercent(const EvaluationResult& result) {
  if (result.documents.empty()) return 0.0;
  double sum = 0.0;
  for (const auto& document : result.documents) sum += document.percent;
  return sum / static_cast<double>(result.documents.size());
}

nlohmann::ordered_json JsonScore(const RougeScore& score) {
  return {{"precision", score.precision}, {"recall", score.recall}, {"f1", score.f1}};
}

nlohmann::ordered_json JsonDocumentScore(const DocumentScore& score) {
  return {{"rouge1", JsonScore(score.rouge1)},
          {"rouge2", JsonScore(score.rouge2)},
          {"rougeLsum", JsonScore(score.rougeLsum)}};
}

}  // namespace

std::string FormatEvaluationTable(const EvaluationReportHeader& header,
                                  const EvaluationResult& result) {
  const EvaluationSettings& settings = *header.settings;
  std::string out = "documents: " + std::to_string(result.documents.size()) +
                    "   dictionary: " + header.dictionary + "   length: ";
  if (settings.lengthFromReference) {
    out += "the reference's (mean " + Format("%.1f", MeanPercent(result)) +
           "% of the words)\n";
  } else {
    out += std::to_string(settings.percent) + "% of the words\n";
  }
  out += "          ROUGE-1                ROUGE-2                ROUGE-Lsum\n";
  out += "               P      R      F        P      R      F        P      R"
         "      F\n";
  out += TableRow("system", result.system);
  if (settings.withLead) out += TableRow("lead", result.lead);
  return out;
}

std::string FormatEvaluationJson(const EvaluationReportHeader& header,
                                 const EvaluationResult& result) {
  const EvaluationSettings& settings = *header.settings;
  nlohmann::ordered_json json;
  json["dictionary"] = header.dictionary;
  if (settings.lengthFromReference) {
    json["length"] = "reference";
  } else {
    json["length"] = {{"percent", settings.percent}};
  }
  json["documents"] = result.documents.size();
  json["system"] = JsonDocumentScore(result.system);
  if (settings.withLead) json["lead"] = JsonDocumentScore(result.lead);
  json["perDocument"] = nlohmann::ordered_json::array();
  for (const DocumentEvaluation& document : result.documents) {
    nlohmann::ordered_json entry = {{"name", document.name},
                                    {"percent", document.percent},
                                    {"system", JsonDocumentScore(document.system)}};
    if (settings.withLead) entry["lead"] = JsonDocumentScore(document.lead);
    json["perDocument"].push_back(std::move(entry));
  }
  // File names may be any bytes; JSON must be UTF-8, so bad bytes show as
  // U+FFFD.
  return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace vellumtrace
