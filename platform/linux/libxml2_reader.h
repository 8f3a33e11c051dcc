#ifndef VELLUMTRACE_PLATFORM_LINUX_LIBXML2_READER_H_
#define VELLUMTRACE_PLATFORM_LINUX_LIBXML2_READER_H_

#include <cstdint>
#include <memory>

#include "dictionary/xml_reader.h"

namespace vellumtrace {

// The XML reader on Linux, built on libxml2. Its documents read local files
// only, never fetch an external entity or DTD, print nothing, and yield the
// nodes and texts described in XmlNode. Documents are independent of each
// other, and lists and nodes keep their document's tree alive.
class Libxml2Reader final : public XmlReader {
 public:
  // The wall clock, in nanoseconds since the epoch.
  using Clock = int64_t (*)();
  static int64_t RealTime();

  Libxml2Reader();
  // A reader that judges files' ages by `clock`, for tests.
  explicit Libxml2Reader(Clock clock);
  std::unique_ptr<XmlDocument> CreateDocument() override;
  bool Identify(const std::u16string& path, FileIdentity* identity) override;

 private:
  Clock m_clock = &RealTime;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_LINUX_LIBXML2_READER_H_
