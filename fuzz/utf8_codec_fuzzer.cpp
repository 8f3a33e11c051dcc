// The UTF-8 codec against a reference written here from the table of
// well-formed byte sequences, sharing no code with it: the same verdict,
// the same offset, line and column for the first bad sequence, the same
// text, and encoding round trips both ways.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/utf8_codec_under_test.h"

using namespace vellumtrace;

namespace {

struct Reference {
  bool valid = true;
  size_t badOffset = 0;  // start of the first ill-formed sequence
  std::vector<char32_t> codePoints;
};

// Well-formed UTF-8: the lead byte fixes the length and the range of the
// second byte; every later byte is 80..BF.
Reference Validate(std::string_view bytes) {
  Reference ref;
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned b0 = static_cast<unsigned char>(bytes[i]);
    size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (b0 <= 0x7F) length = 1;
    else if (b0 >= 0xC2 && b0 <= 0xDF) length = 2;
    else if (b0 == 0xE0) { length = 3; low = 0xA0; }
    else if ((b0 >= 0xE1 && b0 <= 0xEC) || b0 == 0xEE || b0 == 0xEF) length = 3;
    else if (b0 == 0xED) { length = 3; high = 0x9F; }
    else if (b0 == 0xF0) { length = 4; low = 0x90; }
    else if (b0 >= 0xF1 && b0 <= 0xF3) length = 4;
    else if (b0 == 0xF4) { length = 4; high = 0x8F; }
    bool ok = length != 0 && i + length <= bytes.size();
    for (size_t k = 1; ok && k < length; ++k) {
      const unsigned b = static_cast<unsigned char>(bytes[i + k]);
      ok = k == 1 ? (b >= low && b <= high) : (b >= 0x80 && b <= 0xBF);
    }
    if (!ok) {
      ref.valid = false;
      ref.badOffset = i;
      return ref;
    }
    static constexpr unsigned kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = b0 & kLeadMask[length];
    for (size_t k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
    ref.codePoints.push_back(c);
    i += length;
  }
  return ref;
}

std::u16string ToUnits(const std::vector<char32_t>& codePoints) {
  std::u16string units;
  for (char32_t c : codePoints) {
    if (c < 0x10000) {
      units.push_back(static_cast<char16_t>(c));
    } else {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return units;
}

// Units with every unpaired surrogate replaced by U+FFFD.
std::u16string Repaired(std::u16string_view units) {
  std::u16string out;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    const bool low = u >= 0xDC00 && u <= 0xDFFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      out.push_back(u);
      out.push_back(units[++i]);
    } else {
      out.push_back(high || low ? u'\uFFFD' : u);
    }
  }
  return out;
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = fuzz::AsView(data, size);

  // Bytes as UTF-8.
  const Reference ref = Validate(bytes);
  std::u16string text;
  Utf8Error error;
  const bool decoded = DecodeUtf8(bytes, &text, &error);
  Check(decoded == ref.valid);
  if (decoded) {
    Check(text == ToUnits(ref.codePoints));
    Check(EncodeUtf8(text) == bytes);
  } else {
    Check(error.byteOffset == ref.badOffset);
    const std::string_view before = bytes.substr(0, ref.badOffset);
    const size_t lastBreak = before.rfind('\n');
    size_t lines = 1;
    for (char c : before) lines += c == '\n';
    Check(error.line == lines);
    Check(error.column ==
          (lastBreak == std::string_view::npos ? before.size() : before.size() - lastBreak - 1) + 1);
  }

  // Bytes as UTF-16LE units, surrogates unpaired or not.
  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::string encoded = EncodeUtf8(units);
  const Reference back = Validate(encoded);
  Check(back.valid);
  Check(ToUnits(back.codePoints) == Repaired(units));
  std::string appended(bytes.substr(0, size % 7));
  AppendUtf8(appended, units);
  Check(appended == std::string(bytes.substr(0, size % 7)) + encoded);
  return 0;
}
