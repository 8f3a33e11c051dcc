#include "output/html_escape.h"

namespace vellumtrace {

void AppendHtmlEscaped(std::u16string& out, std::u16string_view text) {
  size_t done = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    std::u16string_view entity;
    switch (text[i]) {
      case u'&': entity = u"&amp;"; break;
      case u'<': entity = u"&lt;"; break;
      case u'>': entity = u"&gt;"; break;
      default: continue;
    }
    out.append(text.substr(done, i - done)).append(entity);
    done = i + 1;
  }
  out.append(text.substr(done));
}

}  // namespace vellumtrace
