#ifndef VELLUMTRACE_ANALYSIS_TEXT_ARENA_H_
#define VELLUMTRACE_ANALYSIS_TEXT_ARENA_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace vellumtrace {

// Short texts stored side by side in chunks that never move, so views into
// them stay valid for the arena's life, and texts stored one after another
// lie close together in memory.
class TextArena {
 public:
  std::u16string_view Store(std::u16string_view text);

 private:
  std::vector<std::unique_ptr<char16_t[]>> m_chunks;
  char16_t* m_free = nullptr;
  size_t m_left = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_TEXT_ARENA_H_
