// The XML document model the baseline file is read and written through. The
// shell implements it with the system's DOM component, the native build with
// libxml2; a file written by either must load in the other.
#pragma once

#include <functional>
#include <memory>

namespace topo {

class XmlDocument;  // the port itself; its operations are declared below by the baseline work

// A fresh document for each load or save.
using XmlDocumentFactory = std::function<std::unique_ptr<XmlDocument>()>;

}  // namespace topo
