#pragma once
// One entry a tree context menu can hold, named by a short id. A tool's entries take their ids
// from its registry entry and its dialog names the same id, so a new tool adds no name here;
// the constants below are the entries the window itself, or a test, refers to.

#include <cstring>
#include <ostream>
#include <string_view>

namespace z2e {

class MenuEntry {
public:
    constexpr explicit MenuEntry(const char* id) : m_id(id) {}

    constexpr std::string_view id() const { return m_id; }

    friend bool operator==(MenuEntry a, MenuEntry b) { return std::strcmp(a.m_id, b.m_id) == 0; }
    friend bool operator!=(MenuEntry a, MenuEntry b) { return !(a == b); }
    friend bool operator<(MenuEntry a, MenuEntry b) { return std::strcmp(a.m_id, b.m_id) < 0; }
    friend std::ostream& operator<<(std::ostream& out, MenuEntry entry) { return out << entry.m_id; }

    static const MenuEntry UseSelectedAsDemo;
    static const MenuEntry SaveSelectedToDemo;
    static const MenuEntry LoadDemo;
    static const MenuEntry SaveDemo;
    static const MenuEntry ShowSystemReport;
    static const MenuEntry SaveSystemReport;
    static const MenuEntry SelfTest;
    static const MenuEntry FirmwareUpdate;
    static const MenuEntry EnclosureData;
    static const MenuEntry BoardConfiguration;
    static const MenuEntry ConfigureBaseEeprom;
    static const MenuEntry FirmwareUpdatePro;
    static const MenuEntry CrossGrade;
    static const MenuEntry FactorySelfTest;
    static const MenuEntry BackupBase;
    static const MenuEntry BackupPanel;
    static const MenuEntry AutoRestoreBase;
    static const MenuEntry AutoRestoreCon;
    static const MenuEntry FileRestoreBase;
    static const MenuEntry FileRestorePanel;
    static const MenuEntry UpdateTemperatures;
    static const MenuEntry ChangeNodeIp;
    static const MenuEntry RestartNode;
    static const MenuEntry RebootNode;
    static const MenuEntry UpdateNode;
    static const MenuEntry RenameNode;
    static const MenuEntry ChannelModules;
    static const MenuEntry BoardHistory;

private:
    const char* m_id;
};

inline constexpr MenuEntry MenuEntry::UseSelectedAsDemo{"use-selected-as-demo"};
inline constexpr MenuEntry MenuEntry::SaveSelectedToDemo{"save-selected-to-demo"};
inline constexpr MenuEntry MenuEntry::LoadDemo{"load-demo"};
inline constexpr MenuEntry MenuEntry::SaveDemo{"save-demo"};
inline constexpr MenuEntry MenuEntry::ShowSystemReport{"show-system-report"};
inline constexpr MenuEntry MenuEntry::SaveSystemReport{"save-system-report"};
inline constexpr MenuEntry MenuEntry::SelfTest{"self-test"};
inline constexpr MenuEntry MenuEntry::FirmwareUpdate{"firmware-update"};
inline constexpr MenuEntry MenuEntry::EnclosureData{"enclosure-data"};
inline constexpr MenuEntry MenuEntry::BoardConfiguration{"board-configuration"};
inline constexpr MenuEntry MenuEntry::ConfigureBaseEeprom{"configure-base-eeprom"};
inline constexpr MenuEntry MenuEntry::FirmwareUpdatePro{"firmware-update-pro"};
inline constexpr MenuEntry MenuEntry::CrossGrade{"cross-grade"};
inline constexpr MenuEntry MenuEntry::FactorySelfTest{"factory-self-test"};
inline constexpr MenuEntry MenuEntry::BackupBase{"backup-base"};
inline constexpr MenuEntry MenuEntry::BackupPanel{"backup-panel"};
inline constexpr MenuEntry MenuEntry::AutoRestoreBase{"auto-restore-base"};
inline constexpr MenuEntry MenuEntry::AutoRestoreCon{"auto-restore-con"};
inline constexpr MenuEntry MenuEntry::FileRestoreBase{"file-restore-base"};
inline constexpr MenuEntry MenuEntry::FileRestorePanel{"file-restore-panel"};
inline constexpr MenuEntry MenuEntry::UpdateTemperatures{"update-temperatures"};
inline constexpr MenuEntry MenuEntry::ChangeNodeIp{"change-node-ip"};
inline constexpr MenuEntry MenuEntry::RestartNode{"restart-node"};
inline constexpr MenuEntry MenuEntry::RebootNode{"reboot-node"};
inline constexpr MenuEntry MenuEntry::UpdateNode{"update-node"};
inline constexpr MenuEntry MenuEntry::RenameNode{"rename-node"};
inline constexpr MenuEntry MenuEntry::ChannelModules{"channel-modules"};
inline constexpr MenuEntry MenuEntry::BoardHistory{"board-history"};

} // namespace z2e
