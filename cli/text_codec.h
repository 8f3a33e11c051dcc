#ifndef VELLUMTRACE_CLI_TEXT_CODEC_H_
#define VELLUMTRACE_CLI_TEXT_CODEC_H_

// The codec moved to text/; kept for cli/console_alert.cpp until it
// includes text/utf_codec.h itself.
#include "text/utf_codec.h"

#endif  // VELLUMTRACE_CLI_TEXT_CODEC_H_
