#include "core/node_action_rules.h"

#include "core/application_status.h"
#include "core/node_result_text.h"

#include "driver/command/qorin_node_util_wrapper.h"
#include "uni/ip_address_pair.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

namespace z2e {
namespace {

bool dottedQuad(const std::string& text)
{
    return uni::ipv4::parseAddress(text).has_value();
}

bool ipv6Text(const std::string& text)
{
    in6_addr parsed{};
    return ::inet_pton(AF_INET6, text.c_str(), &parsed) == 1;
}

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

const char* const NodeActionRules::kRenameQuestion = "Rename Net Node?";
const char* const NodeActionRules::kNameTooLong = "Node name too long. \nMax. 18 characters allowed.";
const char* const NodeActionRules::kNameBadCharacter =
    "Node name may not hold control characters\n(tabs, line breaks) or broken UTF-8 text.";
const char* const NodeActionRules::kChangeIpQuestion = "Change Net Node IP?";
const char* const NodeActionRules::kRebootQuestion = "Restart Remote System?";
const char* const NodeActionRules::kRestartQuestion = "Restart Remote Server?";
const char* const NodeActionRules::kMaskHint =
    "<font color='red', style='bold'>-> Please check the Subnet Mask!!</font>";
const char* const NodeActionRules::kAddressHint =
    "<font color='red', style='bold'>-> Please check the IP Address!!</font>";
const char* const NodeActionRules::kMaskHintText = "-> Please check the Subnet Mask!!";
const char* const NodeActionRules::kAddressHintText = "-> Please check the IP Address!!";
const char* const NodeActionRules::kRenameFailed = "Rename Net Node Failed.  [";
const char* const NodeActionRules::kIpFailed = "Net Node IP Settings Failed.  [";
const char* const NodeActionRules::kRebootFailed = "Remote System Restart Failed.  [";
const char* const NodeActionRules::kRestartFailed = "Remote Server Restart Failed.  [";

NodeActionRules::IpCheck NodeActionRules::checkIp(const NodeIpSettings& settings)
{
    const bool ipv4 = contains(settings.version, "IPv4");
    auto valid = [ipv4](const std::string& text) { return dottedQuad(text) || (!ipv4 && ipv6Text(text)); };
    if (!valid(settings.mask))
        return IpCheck::BadMask;
    if (!valid(settings.address))
        return IpCheck::BadAddress;
    return IpCheck::Ok;
}

bool NodeActionRules::unchanged(const NodeIpSettings& initial, const NodeIpSettings& edited)
{
    return lower(initial.address) == lower(edited.address) && lower(initial.mask) == lower(edited.mask) &&
           lower(initial.version) == lower(edited.version) && lower(initial.mode) == lower(edited.mode);
}

std::uint32_t NodeActionRules::modeWord(const std::string& modeText, const std::string& versionText)
{
    std::uint32_t word = contains(modeText, "Static") ? 0 : kModeAutomatic;
    if (!contains(versionText, "IPv4"))
        word += kModeNotIpv4;
    return word;
}

std::string NodeActionRules::modeText(std::uint32_t word)
{
    return (word & kModeAutomatic) != 0 ? "DHCP" : "Static";
}

std::string NodeActionRules::versionText(std::uint32_t word)
{
    return (word & kModeNotIpv4) != 0 ? "IPv6" : "IPv4";
}

std::int32_t NodeActionRules::sendIpConfig(QorinNodeUtilWrapper& node, const NodeIpSettings& settings)
{
    std::string address = settings.address;
    std::string mask = settings.mask;
    return node.setIpConfig(modeWord(settings.mode, settings.version), address, mask);
}

std::string NodeActionRules::failureText(const char* prefix, std::int32_t code)
{
    // The status table knows no network code: its fallback keeps the box's form, the line
    // below says what happened.
    return prefix + statusMessage(code) + "]    \n" + failureAdvice(code);
}

} // namespace z2e
