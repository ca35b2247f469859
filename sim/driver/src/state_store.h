#pragma once
// What the simulated hardware remembers across processes: EEPROM contents, firmware
// revisions and enclosure data, one XML file per element in the state folder.

#include <string>
#include <utility>
#include <vector>

namespace zmpxi_sim {

enum class EepromHealth { Good, Corrupt, Blank };

struct StoredEeprom {
    bool present = false;
    EepromHealth health = EepromHealth::Good;
    std::string document; ///< normalised document text; empty unless health is Good
};

struct BoardState {
    std::string fwRevision;
    StoredEeprom base;
    StoredEeprom con;
};

struct EnclosureState {
    std::string encType;
    std::string encVersion;
    std::string encName;
    std::string serialNumber;
    std::string userData;
    std::vector<std::pair<std::string, std::string>> options;
};

class StateStore {
public:
    /// `root` is the state folder; nothing is created until the first save.
    explicit StateStore(std::string root);

    /// Key of an element: its namespace ("hw" or "sim") and its identity (serial number).
    static std::string key(bool simulated, const std::string& identity);

    bool loadBoard(const std::string& key, BoardState& state) const;
    bool saveBoard(const std::string& key, const BoardState& state) const;
    bool loadEnclosure(const std::string& key, EnclosureState& state) const;
    bool saveEnclosure(const std::string& key, const EnclosureState& state) const;

    /// Where the automatic EEPROM backup of a board lives (`which` is "base" or "con").
    std::string backupPath(const std::string& key, const char* which) const;

private:
    std::string boardPath(const std::string& key) const;
    std::string enclosurePath(const std::string& key) const;

    std::string m_root;
};

} // namespace zmpxi_sim
