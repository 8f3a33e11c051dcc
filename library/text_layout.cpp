#include "library/text_layout.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace vellumtrace {
size_t ByteOffsets::At(size_t unit) {
  if (m_ascii) return unit;
  while (m_unit < unit && m_byte < m_text.size()) {
    // Eight ASCII bytes at a time, each one unit.
    if (m_unit + 8 <= unit && m_byte + 8 <= m_text.size()) {
      uint64_t block;
      std::memcpy(&block, m_text.data() + m_byte, sizeof block);
      if ((block & 0x8080808080808080u) == 0) {
        m_unit += 8;
        m_byte += 8;
        continue;
      }
    }
    const auto lead = static_cast<unsigned char>(m_text[m_byte]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    m_unit += length == 4 ? 2 : 1;  // four-byte forms need a surrogate pair
    m_byte += length;
  }
  return m_byte;
}

size_t FirstByteOverUtf16Length(std::string_view text, size_t maxUnits) {
  size_t units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;  // continuation byte
    units += byte >= 0xF0 ? 2 : 1;        // four-byte forms need a surrogate pair
    if (units > maxUnits) return i;
  }
  return std::string::npos;
}

}  // namespace vellumtrace
