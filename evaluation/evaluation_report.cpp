#include "evaluation/evaluation_report.h"

#include <cstdio>

#include "text/utf_codec.h"

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

// File names may be any bytes; JSON must be UTF-8, so bad bytes show as
// U+FFFD.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : RepairUtf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonScore(const RougeScore& score) {
  return "{\"precision\": " + Format("%.6f", score.precision) +
         ", \"recall\": " + Format("%.6f", score.recall) +
         ", \"f1\": " + Format("%.6f", score.f1) + "}";
}

std::string JsonDocumentScore(const DocumentScore& score) {
  return "{\"rouge1\": " + JsonScore(score.rouge1) +
         ", \"rouge2\": " + JsonScore(score.rouge2) +
         ", \"rougeLsum\": " + JsonScore(score.rougeLsum) + "}";
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
  std::string out = "{\n  \"dictionary\": " + JsonString(header.dictionary);
  out += ",\n  \"length\": ";
  out += settings.lengthFromReference
             ? std::string("\"reference\"")
             : "{\"percent\": " + std::to_string(settings.percent) + "}";
  out += ",\n  \"documents\": " + std::to_string(result.documents.size());
  out += ",\n  \"system\": " + JsonDocumentScore(result.system);
  if (settings.withLead) out += ",\n  \"lead\": " + JsonDocumentScore(result.lead);
  out += ",\n  \"perDocument\": [";
  for (size_t i = 0; i < result.documents.size(); ++i) {
    const DocumentEvaluation& document = result.documents[i];
    out += i == 0 ? "\n" : ",\n";
    out += "    {\"name\": " + JsonString(document.name) +
           ", \"percent\": " + std::to_string(document.percent) +
           ", \"system\": " + JsonDocumentScore(document.system);
    if (settings.withLead) out += ", \"lead\": " + JsonDocumentScore(document.lead);
    out += "}";
  }
  out += result.documents.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

}  // namespace vellumtrace
