#ifndef VELLUMTRACE_PLATFORM_WINDOWS_MSXML_READER_H_
#define VELLUMTRACE_PLATFORM_WINDOWS_MSXML_READER_H_

#include <memory>

#include "dictionary/xml_reader.h"

namespace vellumtrace {

// The dictionary reader on Windows: the platform's MSXML DOM through COM.
// Tries the document classes of MSXML 6.0, 4.0 and 3.0, in that order (6.0
// is the supported one; its secure defaults fetch nothing from outside the
// file). Files are handed to the parser as streams, never as URLs.
// A thread without a COM apartment gets one for the life of each document.
class MsxmlReader final : public XmlReader {
 public:
  std::unique_ptr<XmlDocument> CreateDocument() override;
  // Volume serial number, file index, size and last write time of the file.
  // The volume and index are read through a handle when the file is first
  // seen and again whenever its size, write time or change time moves.
  bool Identify(const std::u16string& path, FileIdentity* identity) override;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_WINDOWS_MSXML_READER_H_
