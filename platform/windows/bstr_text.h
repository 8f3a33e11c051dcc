#ifndef VELLUMTRACE_PLATFORM_WINDOWS_BSTR_TEXT_H_
#define VELLUMTRACE_PLATFORM_WINDOWS_BSTR_TEXT_H_

#include <oleauto.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumtrace {

// Platform strings (BSTR) to and from the engine's UTF-16 text. The units
// are copied one by one: wchar_t and char16_t are distinct types here even
// though both are 16 bits wide.

// The whole BSTR, embedded NULs included; a null BSTR is the empty string.
inline std::u16string TextOfBstr(BSTR text) {
  const size_t length = text ? SysStringLen(text) : 0;
  return std::u16string(text, text + length);
}

// The BSTR up to its first NUL; a null BSTR is the empty string.
inline size_t LengthUpToNul(BSTR text) {
  if (!text) return 0;
  const size_t length = SysStringLen(text);
  size_t n = 0;
  while (n < length && text[n] != L'\0') ++n;
  return n;
}

// A new BSTR holding `text`, or null when it cannot be allocated. The
// empty text gives an empty BSTR, not a null one.
inline BSTR AllocBstr(std::u16string_view text) {
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
  if (!result) return nullptr;
  for (size_t i = 0; i < text.size(); ++i) result[i] = static_cast<wchar_t>(text[i]);
  return result;
}

// Frees its BSTR when it goes.
class OwnedBstr {
 public:
  OwnedBstr() = default;
  explicit OwnedBstr(BSTR text) : m_text(text) {}
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  ~OwnedBstr() { SysFreeString(m_text); }

  BSTR Get() const { return m_text; }
  BSTR* Receive() {
    SysFreeString(m_text);
    m_text = nullptr;
    return &m_text;
  }
  // Hands the BSTR over; the caller frees it.
  BSTR Detach() {
    BSTR text = m_text;
    m_text = nullptr;
    return text;
  }

 private:
  BSTR m_text = nullptr;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_WINDOWS_BSTR_TEXT_H_
