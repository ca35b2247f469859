#include "gui/window/node_event_types.h"

#include "qorinet_api/client/qorinet_if_client_node.h"

namespace z2e {

void registerNodeEventTypes()
{
    qRegisterMetaType<NetworkNodeRecord>("z2e::NetworkNodeRecord");
    qRegisterMetaType<quint32>("uint32");
    qRegisterMetaType<qorinet_api::QORINetSyncState>("qorinet_api::QORINetSyncState");
    qRegisterMetaType<ModelNodePtr>("z2e::ModelNodePtr");
    qRegisterMetaType<ModelNodePtr>("ModelNodePtr");
}

} // namespace z2e
