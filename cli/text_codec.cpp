#include "cli/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace vellumtrace {

namespace {

// One conversion descriptor per direction and call keeps this re-entrant.
class Converter {
 public:
  Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Converter() {
    if (Ok()) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

Utf8Error LocateError(std::string_view bytes, size_t offset) {
  Utf8Error error;
  error.byteOffset = offset;
  for (size_t i = 0; i < offset; ++i) {
    if (bytes[i] == '\n') {
      ++error.line;
      error.column = 1;
    } else {
      ++error.column;
    }
  }
  return error;
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, std::u16string* text, Utf8Error* error) {
  text->clear();
  Converter converter("UTF-16LE", "UTF-8");
  if (!converter.Ok()) {
    *error = LocateError(bytes, 0);
    return false;
  }
  std::string buffer(bytes.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* out = buffer.data();
  size_t outLeft = buffer.size();
  if (iconv(converter.Get(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
    *error = LocateError(bytes, static_cast<size_t>(in - bytes.data()));
    return false;
  }
  const size_t produced = buffer.size() - outLeft;
  text->resize(produced / 2);
  for (size_t i = 0; i < text->size(); ++i) {
    (*text)[i] = static_cast<char16_t>(static_cast<unsigned char>(buffer[2 * i]) |
                                       (static_cast<unsigned char>(buffer[2 * i + 1]) << 8));
  }
  return true;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
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
}

std::string EncodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  AppendUtf8(out, text);
  return out;
}

}  // namespace vellumtrace
