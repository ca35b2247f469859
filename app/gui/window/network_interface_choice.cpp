#include "gui/window/network_interface_choice.h"

#include "uni/if_net_if_provider.h"

namespace z2e {
namespace {

const char* const kNoHardwareAddress = "00:00:00:00:00:00";

} // namespace

const char* const NetworkInterfaceChoice::kOff = "Off";

std::map<int, NetworkOptions> NetworkInterfaceChoice::interfaceList(const uni::IfNetIfProvider& provider)
{
    std::map<int, NetworkOptions> list;
    uni::NetInterfaceList interfaces;
    if (provider.interfaces(interfaces) != 0)
        return list;
    for (const uni::NetInterface& interface : interfaces) {
        if (interface.hardwareAddressText() == kNoHardwareAddress)
            continue;
        for (const uni::ipv4::IpAddressPair& pair : interface.addresses) {
            if (pair.address().find('.') == std::string::npos)
                continue;
            NetworkOptions entry;
            entry.interfaceName = QString::fromStdString(interface.description);
            entry.interfaceIndex = -1;
            entry.address = QString::fromStdString(pair.address());
            entry.mask = QString::fromStdString(pair.maskText());
            entry.automaticInterface = false;
            list[static_cast<int>(interface.index)] = entry;
        }
    }
    return list;
}

NetworkOptions NetworkInterfaceChoice::restore(const NetworkOptions& stored,
                                               const std::map<int, NetworkOptions>& interfaces)
{
    for (const auto& entry : interfaces) {
        // Byte for byte: a description that differs in case is another interface.
        if (entry.second.interfaceName.toUtf8() == stored.interfaceName.toUtf8())
            return entry.second;
    }
    NetworkOptions options = stored;
    options.automaticInterface = true;
    return options;
}

NetworkClientSettings NetworkInterfaceChoice::clientSettings(const NetworkOptions& options,
                                                            const NetworkClientTuning& tuning)
{
    NetworkClientSettings settings;
    settings.tuning = tuning;
    if (options.automaticInterface)
        return settings;
    if (options.interfaceName == kOff && options.interfaceIndex == -1) {
        settings.networks = NetworkClientSettings::Networks::Off;
        return settings;
    }
    settings.networks = NetworkClientSettings::Networks::OneAddress;
    settings.address = options.address.toStdString();
    settings.mask = options.mask.toStdString();
    return settings;
}

} // namespace z2e
