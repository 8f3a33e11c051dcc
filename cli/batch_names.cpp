#include "cli/batch_names.h"

#include <cstdint>
#include <cstdio>

#include <nlohmann/json.hpp>

namespace vellumtrace {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `bytes` (no
// overlong forms, no surrogates, nothing past U+10FFFF) and its code
// point; 0 when the first byte starts none.
size_t Utf8Sequence(std::string_view bytes, char32_t* point) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const uint8_t lead = byte(0);
  size_t length;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  *point = value;
  return length;
}

// Characters a terminal or an editor acts on rather than shows.
bool IsActingCharacter(char32_t point) {
  return (point >= 0x80 && point <= 0x9F) || point == 0x061C || point == 0x200E ||
         point == 0x200F || (point >= 0x2028 && point <= 0x202E) ||
         (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

std::string ShownName(std::string_view name) {
  std::string shown = "'";
  char buffer[16];
  for (size_t i = 0; i < name.size();) {
    const auto byte = static_cast<uint8_t>(name[i]);
    if (byte >= 0x80) {
      char32_t point = 0;
      const size_t length = Utf8Sequence(name.substr(i), &point);
      if (length == 0) {
        std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
        shown += buffer;
        ++i;
      } else {
        if (IsActingCharacter(point)) {
          std::snprintf(buffer, sizeof buffer, "\\u{%04X}", static_cast<unsigned>(point));
          shown += buffer;
        } else {
          shown.append(name.substr(i, length));
        }
        i += length;
      }
      continue;
    }
    switch (byte) {
      case '\n': shown += "\\n"; break;
      case '\r': shown += "\\r"; break;
      case '\t': shown += "\\t"; break;
      case '\\': shown += "\\\\"; break;
      case '\'': shown += "\\'"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
          shown += buffer;
        } else {
          shown += static_cast<char>(byte);
        }
    }
    ++i;
  }
  shown += '\'';
  return shown;
}

std::string JsonName(std::string_view name) {
  return nlohmann::json(std::string(name))
      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace vellumtrace
