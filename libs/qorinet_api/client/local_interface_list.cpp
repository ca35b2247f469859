#include "qorinet_api/client/local_interface_list.h"

#include "uni/net_if_provider.h"

namespace qorinet_api {
namespace {

const char* const kNoHardwareAddress = "00:00:00:00:00:00";

const uni::IfNetIfProvider& machineInterfaces()
{
    static const uni::NetIfProvider interfaces;
    return interfaces;
}

} // namespace

LocalInterfaceList::LocalInterfaceList() : m_provider(machineInterfaces()) {}

LocalInterfaceList::LocalInterfaceList(const uni::IfNetIfProvider& provider) : m_provider(provider) {}

std::vector<LocalInterface> LocalInterfaceList::choosable() const
{
    std::vector<LocalInterface> list;
    uni::NetInterfaceList interfaces;
    if (m_provider.interfaces(interfaces) != 0)
        return list;
    for (const uni::NetInterface& interface : interfaces) {
        if (interface.hardwareAddressText() == kNoHardwareAddress)
            continue;
        for (const uni::ipv4::IpAddressPair& pair : interface.addresses) {
            if (pair.address().find('.') == std::string::npos)
                continue;
            list.push_back(
                {static_cast<std::uint32_t>(interface.index), interface.description, pair.address(), pair.maskText()});
        }
    }
    return list;
}

} // namespace qorinet_api
