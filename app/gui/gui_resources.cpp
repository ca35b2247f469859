#include "gui/gui_resources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerCompiledResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace z2e {

void initGuiResources()
{
    static std::once_flag once;
    std::call_once(once, registerCompiledResources);
}

} // namespace z2e
