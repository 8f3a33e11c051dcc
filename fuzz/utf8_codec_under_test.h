#ifndef VELLUMTRACE_FUZZ_UTF8_CODEC_UNDER_TEST_H_
#define VELLUMTRACE_FUZZ_UTF8_CODEC_UNDER_TEST_H_

// The UTF-8 codec every edge uses.
#include "text/utf_codec.h"

#endif  // VELLUMTRACE_FUZZ_UTF8_CODEC_UNDER_TEST_H_
