#ifndef VELLUMTRACE_EVALUATION_EVALUATION_REPORT_H_
#define VELLUMTRACE_EVALUATION_EVALUATION_REPORT_H_

#include <string>

#include "evaluation/evaluation_run.h"

namespace vellumtrace {

// What the report says about the run besides the scores.
struct EvaluationReportHeader {
  // The dictionary as the user named it (UTF-8).
  std::string dictionary;
  const EvaluationSettings* settings = nullptr;
};

// A table for people: one row per method, ROUGE-1, -2 and -Lsum precision,
// recall and F1, each times 100 with two decimals.
std::string FormatEvaluationTable(const EvaluationReportHeader& header,
                                  const EvaluationResult& result);

// One JSON object: the settings, the averages and every document's
// figures; scores as fractions in 0..1.
std::string FormatEvaluationJson(const EvaluationReportHeader& header,
                                 const EvaluationResult& result);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_EVALUATION_REPORT_H_
