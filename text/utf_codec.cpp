#include "text/utf_codec.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "text/ascii_narrow.h"
#include "text/large_buffer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellumtrace {

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid sequence starting at `in[i]` and its code point, or 0
// when it is invalid or truncated.
size_t DecodeOne(const unsigned char* in, size_t size, size_t i, char32_t* code) {
  const unsigned char lead = in[i];
  size_t extra;
  char32_t c;
  char32_t least;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, c = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, c = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (size - i - 1 < extra) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    if (!IsContinuation(in[i + k])) return 0;
    c = (c << 6) | (in[i + k] & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *code = c;
  return extra + 1;
}

}  // namespace

Utf8Error LocateByte(std::string_view bytes, size_t offset) {
  Utf8Error where;
  where.byteOffset = offset;
  for (size_t i = 0; i < offset && i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++where.line;
      where.column = 1;
    } else {
      ++where.column;
    }
  }
  return where;
}

namespace {

// Where decoding puts its code units: into a buffer, or only counted.
struct UnitWriter {
  void Put(char16_t unit) { *at++ = unit; }
#if defined(__SSE2__)
  // Widens all sixteen bytes (the room is there: never more units than
  // bytes), keeps the first `ascii`.
  void PutAscii16(__m128i bytes, unsigned ascii) {
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 8), _mm_unpackhi_epi8(bytes, zero));
    at += ascii;
  }
#endif
  void PutAscii8(const unsigned char* in) {
    for (size_t k = 0; k < 8; ++k) at[k] = in[k];
    at += 8;
  }
  char16_t* at;
};
struct UnitCounter {
  void Put(char16_t) { ++units; }
  void PutAscii8(const unsigned char*) { units += 8; }
#if defined(__SSE2__)
  void PutAscii16(__m128i, unsigned ascii) { units += ascii; }
#endif
  size_t units = 0;
};

// Decodes `bytes` into `out`; on the first invalid or truncated sequence
// returns false with `*stop` at its byte.
template <typename Out>
bool DecodeInto(std::string_view bytes, Out& out, size_t* stop) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  size_t i = 0;
  while (i < size) {
    // Sixteen or eight ASCII bytes at a time: most text is mostly ASCII. A
    // block with other bytes still gives its leading ASCII ones.
#if defined(__SSE2__)
    while (i + 16 <= size) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      const auto high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
      const unsigned ascii = high == 0 ? 16 : static_cast<unsigned>(std::countr_zero(high));
      out.PutAscii16(bytes, ascii);
      i += ascii;
      if (ascii < 16) break;
    }
#endif
    while (i + 8 <= size) {
      uint64_t word;
      std::memcpy(&word, in + i, sizeof word);
      if ((word & kHighBits) != 0) break;
      out.PutAscii8(in + i);
      i += 8;
    }
    if (i == size) break;
    const unsigned char lead = in[i];
    if (lead < 0x80) {
      out.Put(lead);
      ++i;
      continue;
    }
    // The two- and three-byte forms of the alphabets and of CJK, inline.
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size && IsContinuation(in[i + 1])) {
      out.Put(static_cast<char16_t>(((lead & 0x1F) << 6) | (in[i + 1] & 0x3F)));
      i += 2;
      continue;
    }
    if ((lead & 0xF0) == 0xE0 && i + 2 < size && IsContinuation(in[i + 1]) &&
        IsContinuation(in[i + 2])) {
      const char32_t three =
          ((lead & 0x0F) << 12) | ((in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F);
      if (three >= 0x800 && (three < 0xD800 || three > 0xDFFF)) {
        out.Put(static_cast<char16_t>(three));
        i += 3;
        continue;
      }
    }
    char32_t c = 0;
    const size_t length = DecodeOne(in, size, i, &c);
    if (length == 0) {
      *stop = i;
      return false;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.Put(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.Put(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.Put(static_cast<char16_t>(c));
    }
    i += length;
  }
  return true;
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, std::u16string* text, Utf8Error* error) {
  // Never more code units than bytes: size once, write through a pointer.
  ReserveLarge(*text, bytes.size());
  text->resize(bytes.size());
  UnitWriter out{text->data()};
  size_t stop = 0;
  const bool valid = DecodeInto(bytes, out, &stop);
  text->resize(static_cast<size_t>(out.at - text->data()));
  if (!valid && error != nullptr) *error = LocateByte(bytes, stop);
  return valid;
}

bool CheckUtf8(std::string_view bytes, size_t* units, Utf8Error* error) {
  UnitCounter out;
  size_t stop = 0;
  const bool valid = DecodeInto(bytes, out, &stop);
  *units = out.units;
  if (!valid && error != nullptr) *error = LocateByte(bytes, stop);
  return valid;
}

bool AppendUtf8(std::string& out, std::u16string_view text, LoneSurrogate policy) {
  for (size_t i = 0; i < text.size(); ++i) {
    // A run of ASCII, most of most texts, in one step (found and narrowed
    // eight units at a time where SSE2 is).
    size_t run = i;
#if defined(__SSE2__)
    while (run + 8 <= text.size()) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + run));
      if ((AsciiLanes(units, units) & 0xFF) != 0xFF) break;
      run += 8;
    }
#endif
    while (run < text.size() && text[run] < 0x80) ++run;
    if (run > i) {
      const size_t at = out.size();
      out.resize(at + (run - i));
      char* to = out.data() + at;
#if defined(__SSE2__)
      for (; i + 8 <= run; i += 8, to += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(units, units));
      }
#endif
      for (; i < run; ++i) *to++ = static_cast<char>(text[i]);
      if (run == text.size()) break;
    }
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      } else if (policy == LoneSurrogate::kRefuse) {
        return false;
      } else {
        c = 0xFFFD;
      }
    }
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

std::string EncodeUtf8(std::u16string_view text) {
  // Words are mostly ASCII: one narrowing copy, and for most no allocation
  // at all. Long texts take the path that reserves large buffers well.
  std::string out;
  if (text.size() <= 256) {
    out.resize(text.size());
    char* ascii = out.data();
    size_t i = 0;
    while (i < text.size() && text[i] < 0x80) {
      ascii[i] = static_cast<char>(text[i]);
      ++i;
    }
    if (i == text.size()) return out;
    out.clear();
  }
  ReserveLarge(out, text.size() + text.size() / 4);
  AppendUtf8(out, text);
  return out;
}

std::string RepairUtf8(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    char32_t ignored = 0;
    const size_t length = DecodeOne(in, bytes.size(), i, &ignored);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace vellumtrace
