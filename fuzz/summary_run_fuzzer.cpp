// Whole runs with the dumps on. The input is
//   flags, percent, [dictionary bytes, 0xFF,] text bytes
// flags: bit 0 HTML, bit 1 the text as raw UTF-16LE units (any units, as a
// component caller may pass them) rather than UTF-8, bits 2-4 which
// dictionary of dic/, bit 5 the dictionary from the input instead.
// Texts are cut to the bound the command and the component enforce.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/summarizer_engine.h"
#include "engine/text_bounds.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/utf8_codec_under_test.h"

using namespace vellumtrace;

namespace {

constexpr const char* kLanguages[] = {"de", "en", "es", "fr", "it", "nl", "pt", "sv"};

std::u16string FixedDictionary(int index) {
  return fuzz::Widen(std::string(VELLUMTRACE_SOURCE_DIR) + "/dic/" + kLanguages[index] + ".xml");
}

bool TextOf(std::string_view bytes, bool rawUnits, std::u16string* text) {
  if (rawUnits) {
    text->clear();
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text->push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return true;
  }
  Utf8Error error;
  return DecodeUtf8(bytes, text, &error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::ScratchFile scratch;
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const int32_t percent = static_cast<int32_t>(data[1] % 103) - 1;  // -1..101
  std::string_view rest = fuzz::AsView(data + 2, size - 2);

  std::u16string dictionary = FixedDictionary((flags >> 2) & 7);
  if (flags & 0x20) dictionary = fuzz::Widen(scratch.Write(fuzz::TakePart(&rest)));
  std::u16string text;
  if (!TextOf(rest, (flags & 2) != 0, &text)) return 0;
  if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);

  fuzz::CountingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(dictionary);
  const bool html = (flags & 1) != 0;
  engine.SetOutputStyle(html ? OutputStyle::kHtml : OutputStyle::kPlainText);
  const std::u16string result = engine.RunSummary(text, percent);
  // The page frame is always there; a fixed dictionary always loads.
  if (html && result.find(u"</body></html>\n") == std::u16string::npos) {
    __builtin_trap();
  }
  if (!(flags & 0x20) && platform.alert.shown != 0) __builtin_trap();
  if (platform.debug.fragments == 0) __builtin_trap();
  return 0;
}
