#include "xpugi/node_filter.h"

namespace xpugi {
namespace Traversal {

// Out of line so the vtable has a single home.
NodeFilter::~NodeFilter() = default;

} // namespace Traversal
} // namespace xpugi
