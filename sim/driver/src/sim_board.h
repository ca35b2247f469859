#pragma once
// One board of the simulated system: its identity (taken from its base EEPROM), its two
// EEPROMs, firmware, staged writes, test results and bus channels.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "bus_loopback.h"
#include "eeprom_documents.h"
#include "product_catalog.h"
#include "simulation_entries.h"
#include "state_store.h"

namespace zmpxi_sim {

class SimBoard {
public:
    struct Eeprom {
        EepromHealth health = EepromHealth::Good;
        std::string document;       ///< normalised text while healthy
        bool backupAllowed = false; ///< the automatic backup may exist
        std::string backupPath;
        std::optional<std::string> staged; ///< written by a Set, committed by 1025/1026
    };

    /// `store` may be null for a board that exists only to describe a model.
    SimBoard(BoardEntry entry, const BoardModel& configured, int index, bool simulated,
             std::shared_ptr<const StateStore> store);

    int index() const { return m_index; }
    bool simulated() const { return m_simulated; }
    const BoardEntry& entry() const { return m_entry; }
    const std::string& stateKey() const { return m_stateKey; }

    const BoardModel& model() const { return *m_model; }
    const std::string& baseVersion() const { return m_baseVersion; }
    const std::string& serialNumber() const { return m_serialNumber; }
    std::uint32_t featureSet() const { return m_featureSet; }
    const BaseFacts& baseFacts() const { return m_baseFacts; }
    const ConFacts& conFacts() const { return m_conFacts; }
    std::string conSerialNumber() const;
    std::string displayName() const;
    /// The caption: the display name, marked "E2PROM-ERROR" while an EEPROM is faulty.
    std::string boardName() const;
    std::string baseId() const;

    Eeprom& base() { return m_base; }
    Eeprom& con() { return m_con; }
    const Eeprom& base() const { return m_base; }
    const Eeprom& con() const { return m_con; }
    /// The backup file, if one may be used and exists.
    bool backupPresent(const Eeprom& eeprom) const;

    const std::string& firmware() const { return m_firmware; }
    void setFirmware(const std::string& revision) { m_firmware = revision; }
    /// True when the fault settings make this firmware update fail.
    bool takeFirmwareFailure();

    std::optional<std::uint32_t>& stagedFeatures() { return m_stagedFeatures; }
    /// Marks the board busy for a long operation; false when one is already running.
    bool beginOperation();
    void endOperation() { m_busy = false; }
    bool isOpen() const { return m_open; }
    void setOpen(bool open) { m_open = open; }
    std::map<std::string, std::string>& results() { return m_results; }
    CanBus& can() { return m_can; }
    UartBus& uart() { return m_uart; }

    std::string channelModule(int channel) const;
    /// A new reading of the temperature sensors (empty: the board's own).
    void setTemperatureFaults(const std::string& base, const std::string& con);
    std::string baseTemperature() const;
    std::string conTemperature() const;
    /// Literal document of the hardware description for (suffix, item), or null.
    const LiteralDocument* literal(const std::string& suffix, const std::string& item) const;

    /// Re-derives model, serial number and features after an EEPROM changed.
    void refresh();
    /// Stores firmware and EEPROM contents in the state folder.
    bool persist() const;

private:
    void loadOrCreate();
    void prepareBackup(Eeprom& eeprom, const char* which, bool allowed, const std::string& fallback);

    BoardEntry m_entry;
    const BoardModel* m_configured;
    const BoardModel* m_model;
    int m_index;
    bool m_simulated;
    std::shared_ptr<const StateStore> m_store;
    std::string m_stateKey;

    std::string m_baseVersion;
    std::string m_serialNumber;
    std::uint32_t m_featureSet = 0;
    BaseFacts m_baseFacts;
    ConFacts m_conFacts;
    Eeprom m_base;
    Eeprom m_con;
    std::string m_firmware;
    int m_firmwareFailuresLeft = 0;
    std::optional<std::uint32_t> m_stagedFeatures;
    bool m_open = false;
    bool m_busy = false;
    std::map<std::string, std::string> m_results;
    CanBus m_can;
    UartBus m_uart;
};

} // namespace zmpxi_sim
