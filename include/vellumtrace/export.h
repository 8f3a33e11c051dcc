/// @file
/// Marks the symbols the Vellumtrace library exports; everything else stays
/// hidden.
#ifndef VELLUMTRACE_EXPORT_H_
#define VELLUMTRACE_EXPORT_H_

#if defined(__GNUC__) || defined(__clang__)
#define VELLUMTRACE_API __attribute__((visibility("default")))
#else
#define VELLUMTRACE_API
#endif

#endif  // VELLUMTRACE_EXPORT_H_
