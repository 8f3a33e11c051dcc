#ifndef VELLUMTRACE_BASE_HASH_TABLE_H_
#define VELLUMTRACE_BASE_HASH_TABLE_H_

// The hash tables of the engine: Abseil's open-addressing tables where the
// build has Abseil (Linux), the standard ones elsewhere (the Windows
// component, whose texts are small). Both take the same calls.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

#if VELLUMTRACE_HAVE_XXHASH
#define XXH_INLINE_ALL
#include <xxhash.h>
#endif
#if VELLUMTRACE_HAVE_ABSL
#include <absl/container/flat_hash_map.h>
#include <absl/container/flat_hash_set.h>
#include <absl/hash/hash.h>
#else
#include <unordered_map>
#include <unordered_set>
#endif

namespace vellumtrace {

// The hash of UTF-16 text: XXH3 over the code units' bytes, inlined, where
// the build has it (fewer instructions than Abseil's on the engine's short
// keys, see bench/README.md).
struct U16Hash {
  size_t operator()(std::u16string_view text) const {
#if VELLUMTRACE_HAVE_XXHASH
    return static_cast<size_t>(XXH3_64bits(text.data(), text.size() * sizeof(char16_t)));
#else
    return std::hash<std::u16string_view>{}(text);
#endif
  }
};

// The hash of a key packed into integers, Abseil's where there is Abseil.
template <typename... Words>
inline size_t HashWords(Words... words) {
#if VELLUMTRACE_HAVE_ABSL
  return absl::HashOf(words...);
#else
  char bytes[(sizeof words + ...)];
  size_t at = 0;
  ((std::memcpy(bytes + at, &words, sizeof words), at += sizeof words), ...);
  return std::hash<std::string_view>{}(std::string_view(bytes, sizeof bytes));
#endif
}

// Equality of UTF-16 texts, four code units at a time and inline: the keys
// of the engine's tables are short words, where the standard traits (unit
// by unit) and a library memcmp call both cost more than the comparison.
struct U16Equal {
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    if (a.size() != b.size()) return false;
    const char16_t* x = a.data();
    const char16_t* y = b.data();
    size_t left = a.size();
    for (; left >= 4; left -= 4, x += 4, y += 4) {
      uint64_t u, v;
      std::memcpy(&u, x, sizeof u);
      std::memcpy(&v, y, sizeof v);
      if (u != v) return false;
    }
    for (; left > 0; --left, ++x, ++y) {
      if (*x != *y) return false;
    }
    return true;
  }
};

#if VELLUMTRACE_HAVE_ABSL
template <typename K, typename V, typename H = absl::Hash<K>, typename E = std::equal_to<K>>
using HashMap = absl::flat_hash_map<K, V, H, E>;
template <typename K, typename H = absl::Hash<K>, typename E = std::equal_to<K>>
using HashSet = absl::flat_hash_set<K, H, E>;
#else
template <typename K, typename V, typename H = std::hash<K>, typename E = std::equal_to<K>>
using HashMap = std::unordered_map<K, V, H, E>;
template <typename K, typename H = std::hash<K>, typename E = std::equal_to<K>>
using HashSet = std::unordered_set<K, H, E>;
#endif

}  // namespace vellumtrace

#endif  // VELLUMTRACE_BASE_HASH_TABLE_H_
