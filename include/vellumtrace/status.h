/// @file
/// Errors as values: a Status, and a Result that holds either a value or
/// the Status that explains its absence.
#ifndef VELLUMTRACE_STATUS_H_
#define VELLUMTRACE_STATUS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "vellumtrace/export.h"

namespace vellumtrace {

class Status;
namespace detail {
/// Ends the program with `status` on standard error: the value of a failed
/// Result was asked for.
[[noreturn]] VELLUMTRACE_API void ValueOfFailedResult(const Status& status);
}  // namespace detail

/// Why a call failed.
enum class StatusCode {
  kOk = 0,
  /// An argument is out of its domain (for example a language code with a '/').
  kInvalidArgument,
  /// The text is not valid UTF-8; Status::byte_offset() is where it stops being so.
  kInvalidUtf8,
  /// The text is longer than Options::max_length; Status::byte_offset() is
  /// the first byte over the bound.
  kTextTooLong,
  /// The dictionary file is missing or cannot be read (Dictionary::Load).
  kDictionaryUnavailable,
  kOutOfMemory,
  /// A fault inside the library, or an exception thrown by a callback.
  kInternal,
  /// The text holds a NUL byte; Status::byte_offset() is where.
  kNulInText,
  /// The dictionary file is not well-formed XML, or is over one of the
  /// dictionary limits (Dictionary::Load).
  kDictionaryInvalid,
};

/// The outcome of a call that returns no value: ok, or a code with a
/// message (UTF-8) and, for faults in the input text, a byte offset. A
/// plain value: copy it freely.
class VELLUMTRACE_API Status {
 public:
  /// Success.
  Status() = default;
  Status(StatusCode code, std::string message, std::size_t byte_offset = 0)
      : code_(code), message_(std::move(message)), byte_offset_(byte_offset) {}

  bool ok() const { return code_ == StatusCode::kOk; }
  StatusCode code() const { return code_; }
  const std::string& message() const { return message_; }
  /// Offset into the input text of the fault; 0 when the fault has no place.
  std::size_t byte_offset() const { return byte_offset_; }

 private:
  StatusCode code_ = StatusCode::kOk;
  std::string message_;
  std::size_t byte_offset_ = 0;
};

/// A value of type T, or the Status of the failure that left none. Never
/// both: a failed call produces no partial value.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  /// `status` must not be ok.
  Result(Status status) : status_(std::move(status)) {}  // NOLINT: implicit by design

  bool ok() const { return value_.has_value(); }
  const Status& status() const { return status_; }
  /// The value. REQUIRES: ok(); otherwise the program ends with the status
  /// on standard error (checked in every build).
  const T& value() const& { return Checked(); }
  T& value() & { return Checked(); }
  T&& value() && { return std::move(Checked()); }
  const T& operator*() const& { return Checked(); }
  T& operator*() & { return Checked(); }
  const T* operator->() const { return &Checked(); }
  T* operator->() { return &Checked(); }

 private:
  T& Checked() {
    if (!value_) detail::ValueOfFailedResult(status_);
    return *value_;
  }
  const T& Checked() const {
    if (!value_) detail::ValueOfFailedResult(status_);
    return *value_;
  }

  std::optional<T> value_;
  Status status_;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_STATUS_H_
