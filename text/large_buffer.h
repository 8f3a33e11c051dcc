#ifndef VELLUMTRACE_TEXT_LARGE_BUFFER_H_
#define VELLUMTRACE_TEXT_LARGE_BUFFER_H_

// Room for the buffers that grow with the text: the bytes read, the UTF-16
// text, the word list and the result. Reserved once, and past a few
// megabytes backed by huge pages where the system offers them on request,
// since a run on a large text otherwise spends much of its time faulting
// its pages in one 4 KiB page at a time.
#include <cstddef>

namespace vellumtrace {

// Asks for huge pages over the whole pages inside [data, data + bytes).
// Only a hint: a no-op where huge pages cannot be requested, for small
// ranges, and when the request fails. Call it before the range is touched.
void AdviseHugePages(void* data, size_t bytes);

// Reserves room for `count` elements in a vector or string and advises the
// new room for huge pages.
template <typename Container>
void ReserveLarge(Container& container, size_t count) {
  if (count <= container.capacity()) return;
  container.reserve(count);
  AdviseHugePages(container.data() + container.size(),
                  (container.capacity() - container.size()) *
                      sizeof(typename Container::value_type));
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TEXT_LARGE_BUFFER_H_
