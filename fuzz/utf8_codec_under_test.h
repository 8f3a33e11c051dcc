#ifndef VELLUMTRACE_FUZZ_UTF8_CODEC_UNDER_TEST_H_
#define VELLUMTRACE_FUZZ_UTF8_CODEC_UNDER_TEST_H_

// The UTF-8 codec the command uses at its edge; the one line to change when
// the codec moves.
#include "cli/text_codec.h"

#endif  // VELLUMTRACE_FUZZ_UTF8_CODEC_UNDER_TEST_H_
