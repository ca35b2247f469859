#pragma once
// Which local network the window's network client works on: the stored "Options" matched
// against the computer's interfaces at start-up, and the client configuration made from them.

#include "core/network_client_settings.h"
#include "gui/window/window_settings.h"
#include "qorinet_api/client/local_interface_list.h"

#include <map>

namespace z2e {

class NetworkInterfaceChoice {
public:
    /// Name that switches the network side off.
    static const char* const kOff; ///< "Off"

    /// The interfaces that can be chosen, by interface index (the last address of an interface
    /// wins), named by its description, fixed (not automatic) with index -1.
    static std::map<int, NetworkOptions> interfaceList(const qorinet_api::LocalInterfaceList& interfaces);

    /// The options at start-up: the interface of the stored name with its current address and
    /// mask when there is one, otherwise the stored values with the automatic choice.
    static NetworkOptions restore(const NetworkOptions& stored, const std::map<int, NetworkOptions>& interfaces);

    /// What the client works on: all interfaces when automatic; no network for "Off" with
    /// index -1; else the one stored address and mask.
    static NetworkClientSettings clientSettings(const NetworkOptions& options, const NetworkClientTuning& tuning);
};

} // namespace z2e
