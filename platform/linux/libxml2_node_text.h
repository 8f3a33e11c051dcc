#ifndef VELLUMTRACE_PLATFORM_LINUX_LIBXML2_NODE_TEXT_H_
#define VELLUMTRACE_PLATFORM_LINUX_LIBXML2_NODE_TEXT_H_

#include <memory>
#include <vector>

#include "dictionary/xml_reader.h"
#include "platform/linux/libxml2_tree.h"

namespace vellumtrace::libxml2 {

// The given elements of a loaded tree as a node list. The children and the
// text of each node follow the rules stated in XmlNode.
std::unique_ptr<XmlNodeList> ElementList(Tree tree, const std::vector<xmlNode*>& elements);

}  // namespace vellumtrace::libxml2

#endif  // VELLUMTRACE_PLATFORM_LINUX_LIBXML2_NODE_TEXT_H_
