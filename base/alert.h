#ifndef VELLUMTRACE_BASE_ALERT_H_
#define VELLUMTRACE_BASE_ALERT_H_

#include <string_view>

namespace vellumtrace {

// The one user-visible failure notice: an audible signal, then a blocking
// notice with `text`, `caption` and a single acknowledgement.
class Alert {
 public:
  virtual ~Alert() = default;
  virtual void Show(std::u16string_view text, std::u16string_view caption) = 0;
  // Follows Show with the real reason of the failure in one line, where the
  // platform has a place for it; the notice itself stays as it is.
  virtual void ShowDetail(std::u16string_view /*detail*/) {}
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_BASE_ALERT_H_
