#ifndef VELLUMTRACE_COMPONENT_ERROR_INFO_H_
#define VELLUMTRACE_COMPONENT_ERROR_INFO_H_

#include <windows.h>

#include <string>

namespace vellumtrace {

// The component's own error object (IErrorInfo), so that a host shows our
// reason for a failing call and never what another component left behind.
// Every method of ICSummarizer ends with one of these two calls.

// Sets the thread's error object (source "Vellumtrace.CSummarizer",
// interface ICSummarizer, `description`) and returns `hr`. Allocates
// nothing of ours, so it serves in an out-of-memory handler too.
HRESULT ReportFailure(HRESULT hr, const wchar_t* description) noexcept;

// Clears the thread's error object: a successful call leaves none.
void ClearFailure() noexcept;

// Descriptions, one place for every text a host may show.
namespace failure {
inline constexpr wchar_t kSource[] = L"Vellumtrace.CSummarizer";
inline constexpr wchar_t kNoResultPointer[] =
    L"Summarize was given no place for its result (a null result pointer).";
inline constexpr wchar_t kBusy[] =
    L"This object is still running a Summarize call (its dictionary alert is showing), "
    L"so the call was refused. Call again once that call has returned, or give each "
    L"thread an object of its own.";
inline constexpr wchar_t kOutOfMemory[] = L"Not enough memory for the call.";
inline constexpr wchar_t kUnexpected[] = L"The call failed unexpectedly.";
// "Summarize takes texts of at most 49,999 characters; this one has 50,000."
std::wstring TextTooLong(size_t length, size_t limit);
// Names the code and what is wrong with it.
std::wstring BadLanguageCode(const std::wstring& code, size_t limit);
}  // namespace failure

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_ERROR_INFO_H_
