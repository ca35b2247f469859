#pragma once
// What the operator may send to a network node when renaming it or changing its IP
// configuration, the mode word the node expects, and the texts of the questions and failures.
// The window's dialogs and zamo2ctl's `node` commands both check with it, so a value refused
// in one is refused in the other before anything is sent.

#include "qorinet_api/common/node_name.h"

#include <cstdint>
#include <string>

namespace z2e {

class QorinNodeUtilWrapper;

/// A node's IP configuration as the dialog and the command line hold it: texts, compared
/// without regard to case.
struct NodeIpSettings {
    std::string address;
    std::string mask;
    std::string version; ///< "IPv4" or "IPv6"
    std::string mode;    ///< "DHCP" or "Static"
};

class NodeActionRules {
public:
    using NameCheck = qorinet_api::NodeName::Check;
    enum class IpCheck { Ok, BadMask, BadAddress };

    static constexpr std::size_t kMaxNameLength = qorinet_api::NodeName::kMaxLength;
    /// Mode word bits: automatic configuration, and a version other than IPv4.
    static constexpr std::uint32_t kModeAutomatic = 0x1100;
    static constexpr std::uint32_t kModeNotIpv4 = 0x66;

    static const char* const kRenameQuestion;   ///< "Rename Net Node?"
    static const char* const kNameTooLong;      ///< "Node name too long. \nMax. 18 characters allowed."
    static const char* const kNameBadCharacter; ///< no control characters, valid UTF-8
    static const char* const kChangeIpQuestion; ///< "Change Net Node IP?"
    static const char* const kRebootQuestion;   ///< "Restart Remote System?"
    static const char* const kRestartQuestion;  ///< "Restart Remote Server?"
    static const char* const kMaskHint;         ///< the red hint of a bad mask
    static const char* const kAddressHint;      ///< the red hint of a bad address
    static const char* const kMaskHintText;     ///< the hints without their markup
    static const char* const kAddressHintText;
    static const char* const kRenameFailed;  ///< "Rename Net Node Failed.  ["
    static const char* const kIpFailed;      ///< "Net Node IP Settings Failed.  ["
    static const char* const kRebootFailed;  ///< "Remote System Restart Failed.  ["
    static const char* const kRestartFailed; ///< "Remote Server Restart Failed.  ["

    /// The node's own rule (qorinet_api::NodeName): at most 18 characters, no control ones.
    static NameCheck checkName(const std::string& name) { return qorinet_api::NodeName::check(name); }
    /// The mask first, then the address. With "IPv4" both must be dotted quads; otherwise an
    /// IPv6 text is accepted as well. Only the textual form is judged (255.255.255.255 is a
    /// mask like any other); the node refuses what it cannot use.
    static IpCheck checkIp(const NodeIpSettings& settings);
    /// No field differs from `initial` (ignoring case): nothing needs to be sent.
    static bool unchanged(const NodeIpSettings& initial, const NodeIpSettings& edited);
    /// 0 when the mode text contains "Static", else 0x1100; plus 0x66 when the version text
    /// does not contain "IPv4".
    static std::uint32_t modeWord(const std::string& modeText, const std::string& versionText);
    /// What a node's reported mode word means, as the node information rows show it.
    static std::string modeText(std::uint32_t word);
    static std::string versionText(std::uint32_t word);

    /// setIpConfig with the mode word of `settings`; the node's result.
    static std::int32_t sendIpConfig(QorinNodeUtilWrapper& node, const NodeIpSettings& settings);

    /// `prefix`, the status text of `code` and the closing "]    " of the failure boxes, then on
    /// a line of its own what happened and what to do, in words.
    static std::string failureText(const char* prefix, std::int32_t code);
};

} // namespace z2e
