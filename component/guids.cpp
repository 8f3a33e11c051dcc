// Defines the identifiers declared by the generated interface header
// (IID_ICSummarizer, CLSID_CSummarizer, LIBID_VellumtraceLib), once.
#include <initguid.h>

#include "component/vellumtrace_idl.h"
