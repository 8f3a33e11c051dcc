#ifndef VELLUMTRACE_EVALUATION_EVALUATION_CORPUS_H_
#define VELLUMTRACE_EVALUATION_EVALUATION_CORPUS_H_

#include <string>
#include <vector>

#include "evaluation/evaluation_run.h"

namespace vellumtrace {

// Reads every regular file of `docsFolder` whose name does not start with
// '.', in name order, with the file of the same name in `refsFolder` as its
// reference. Both must be UTF-8. On failure returns false with a message
// that names the folder or file.
bool ReadEvaluationCorpus(const std::string& docsFolder,
                          const std::string& refsFolder,
                          std::vector<EvaluationDocument>* documents,
                          std::string* error);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_EVALUATION_CORPUS_H_
