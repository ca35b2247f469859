#include "gui/window/network_interface_choice.h"

namespace z2e {

const char* const NetworkInterfaceChoice::kOff = "Off";

std::map<int, NetworkOptions> NetworkInterfaceChoice::interfaceList(const qorinet_api::LocalInterfaceList& interfaces)
{
    std::map<int, NetworkOptions> list;
    for (const qorinet_api::LocalInterface& interface : interfaces.choosable()) {
        NetworkOptions entry;
        entry.interfaceName = QString::fromStdString(interface.description);
        entry.interfaceIndex = -1;
        entry.address = QString::fromStdString(interface.address);
        entry.mask = QString::fromStdString(interface.mask);
        entry.automaticInterface = false;
        list[static_cast<int>(interface.index)] = entry;
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
