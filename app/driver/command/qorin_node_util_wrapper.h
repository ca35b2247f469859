#pragma once
// The application's command layer over any node, local or remote: builds the driver's targets,
// issues the named commands the tree, the demo editor and the tools need, and maps driver
// failures to application status codes (driver/command/command_status.h).
//
// Common rules of every operation:
// - While the ready flag is clear the operation answers 5000 and sends nothing (the enclosure
//   count answers 0, the board count 0); out arguments keep their content unless an operation
//   says it clears them.
// - Results are driver results (0 success, > 0 error, < 0 warning, which counts as success)
//   unless an operation names the status it maps to.
// - Operations that write to a board check the index against the node's board count first and
//   answer 700009 without sending for an index at or above it.
// - A text Get hands the caller's previous text to the driver as the buffer's initial content.
//
// The wrapper holds no lock. The per-board result map is written by one worker and read after
// it has ended.

#include "driver/command/eeprom_summary.h"
#include "driver/command/enclosure_data.h"
#include "qorinet_api/client/qorinet_if_client_node.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace z2e {

class QorinNodeUtilWrapper {
public:
    using NodePtr = std::shared_ptr<qorinet_api::QORINetIfClientNode>;

    /// All commands go through `node`; the wrapper starts not ready.
    explicit QorinNodeUtilWrapper(NodePtr node);

    /// The owner sets the flag once the node is usable and clears it before it goes away.
    void setReady(bool ready);
    bool isReady() const;
    const NodePtr& node() const;

    // ---- Board commands (target "BoardID<board>[/suffix]") ----

    /// Base EEPROM document (root "BaseEEPROM"). Any failure: 201.
    std::int32_t getBaseEeprom(std::uint32_t board, std::string& document);
    /// Stages the whole base EEPROM document and commits it (command 1025).
    /// Staging failed: 4005; commit failed: 4007.
    std::int32_t setBaseEeprom(std::uint32_t board, const std::string& document);
    /// Connector panel EEPROM document (root "ConEEPROM"), result as read.
    std::int32_t getConEeprom(std::uint32_t board, std::string& document);
    /// Stages the connector EEPROM document and commits it (command 1026).
    /// Staging failed: 4005; commit failed: 4008.
    std::int32_t setConEeprom(std::uint32_t board, const std::string& document);
    /// The board's model key. Failure: 203.
    std::int32_t getBoardKey(std::uint32_t board, std::string& key);
    /// The board properties document. Failure: 200.
    std::int32_t getBoardProperties(std::uint32_t board, std::string& document);
    /// Chassis and slot number of the board, each -1 when its call fails or its text is no
    /// number. The slot is asked only when the chassis call succeeded. Result of the last call;
    /// a place found is kept until the wrapper is made ready again.
    std::int32_t getBoardLocation(std::uint32_t board, std::int32_t& chassis, std::int32_t& slot);
    /// Temperature texts of base board and connector panel. Result of the second call.
    std::int32_t getBoardTemperatures(std::uint32_t board, std::string& baseTemp, std::string& conTemp);
    /// Revision texts of the two EEPROM layouts. Result of the second call.
    std::int32_t getEepromRevisions(std::uint32_t board, std::string& baseRevision, std::string& conRevision);
    /// Name, model, revision, serial number and source of the base EEPROM.
    /// A document that does not parse: 260803.
    std::int32_t getBaseEepromSummary(std::uint32_t board, EepromSummary& summary);
    /// Firmware check document (installed, latest, file name). Result >= 1: 202.
    std::int32_t getFirmwareCheck(std::uint32_t board, std::string& document);
    /// Starts a firmware update with the selection text (empty: the latest, a version: go back
    /// to it, a file name: that file). Result as returned.
    std::int32_t updateFirmware(std::uint32_t board, const std::string& selection);
    /// Changes the board's base identity to `code` between an open and a close of the board.
    /// 4001 done, 4003 base data not accessible, 4004 base EEPROM not accessible, 3002 the
    /// update behind it failed, 1 anything else, 258 the board would not open. `code` is
    /// cleared in every case.
    std::int32_t crossGrade(std::uint32_t board, std::string& code);
    /// Status a cross-grade reports for the driver's answer to "rebase".
    static std::int32_t crossGradeStatus(std::int32_t rebaseAnswer);
    /// Starts the self test; `kind` is "", "factorytest" or "excitationtest". Always 0 once sent.
    std::int32_t startSelfTest(std::uint32_t board, const std::string& kind);
    /// Self-test result document.
    std::int32_t getSelfTestResult(std::uint32_t board, std::string& document);
    /// Channel check result document.
    std::int32_t getChannelCheckResult(std::uint32_t board, std::string& document);
    /// Starts the auto zero of every amplifier (200 ms). Always 0 once sent.
    std::int32_t startAutoZero(std::uint32_t board);
    /// Auto-zero result document.
    std::int32_t getAutoZeroResult(std::uint32_t board, std::string& document);
    /// Starts the gain calibration against the internal reference. Always 0 once sent.
    std::int32_t startGainCalibration(std::uint32_t board);
    /// Gain calibration result document.
    std::int32_t getGainCalibrationResult(std::uint32_t board, std::string& document);
    /// Starts the three-wire line resistance measurement. Always 0 once sent.
    std::int32_t startThreeWireOffset(std::uint32_t board);
    /// Three-wire offset result document.
    std::int32_t getThreeWireOffsetResult(std::uint32_t board, std::string& document);
    /// Writes the self-calibration feature set (eight lower-case hex digits), then sends
    /// commands 1027 and 1056. Result of 1056, or of the write when that failed.
    std::int32_t setSelfCalFeatureSet(std::uint32_t board, std::uint32_t featureSet);
    /// Rewrites the base EEPROM from the driver's default document for model and revision with
    /// `serial` as its serial number, and commits it. Any failure: 4005.
    std::int32_t writeDefaultBaseEeprom(std::uint32_t board, const std::string& model, const std::string& version,
                                        const std::string& serial);
    /// The document writeDefaultBaseEeprom writes, without writing it. Any failure: 4005.
    std::int32_t defaultBaseEepromDocument(const std::string& model, const std::string& version,
                                           const std::string& serial, std::string& document);

    // ---- Integer commands ----

    /// Command 773 on one board; its result lands in the per-board map. Returns 0.
    std::int32_t restoreFactoryCalibration(std::uint32_t board);
    /// Command 773 on every board 0..count-1 in order; results land in the map. Returns 0.
    std::int32_t restoreFactoryCalibrationAll();
    /// Board index -> result of its last command 773.
    const std::map<std::uint32_t, std::int32_t>& boardResults() const;
    /// Asks the driver to restore the base EEPROM from its own backup (command 1028).
    std::int32_t autoRestoreBaseEeprom(std::uint32_t board);
    /// Asks the driver to restore the connector EEPROM from its own backup (command 1029).
    std::int32_t autoRestoreConEeprom(std::uint32_t board);
    /// Erases the base EEPROM (command 1044).
    std::int32_t eraseBaseEeprom(std::uint32_t board);
    /// The board's type code (command 1282).
    std::int32_t getBoardTypeCode(std::uint32_t board, std::int32_t& typeCode);

    // ---- System commands (fixed targets) ----

    /// "System" / "EnclosureCount" parsed; 0 when not ready, on failure or for no number.
    std::uint32_t getEnclosureCount();
    /// Full path of the driver configuration file. Failure: 4.
    std::int32_t getConfigFilePath(std::string& path);
    /// Versions document of the driver side. Failure: 100.
    std::int32_t getSystemVersions(std::string& document);
    /// Table of board keys to model names. Failure: 102.
    std::int32_t getBoardKeyNames(std::string& document);
    /// List of known base EEPROM entries, as returned.
    std::int32_t getBaseEepromEntries(std::string& document);
    /// The driver's default base EEPROM document for a model and revision, as returned.
    std::int32_t getDefaultBaseEeprom(const std::string& model, const std::string& version, std::string& document);
    /// Enclosure model listing. Failure: 103.
    std::int32_t getEnclosureListing(std::string& document);
    /// Table of enclosure keys to names. Failure: 103.
    std::int32_t getEnclosureKeyNames(std::string& document);
    /// Firmware file listing document, as returned.
    std::int32_t getFirmwareListing(std::string& document);
    /// Describes a simulated board model: sends the key, then reads properties, configuration
    /// and firmware. Key refused: 204 and all three answers cleared; a failing read: 200, 201 or
    /// 202 and the later reads skipped.
    std::int32_t describeVirtualBoard(const std::string& key, std::string& properties, std::string& config,
                                      std::string& firmware);
    /// Starts the self test of a simulated board. Always 0 once sent.
    std::int32_t startVirtualSelfTest(const std::string& value);
    /// Self-test answer of the simulated board.
    std::int32_t getVirtualSelfTestResult(std::string& document);
    /// Describes a simulated enclosure model. Key refused: 302; properties failed: 300.
    std::int32_t describeVirtualEnclosure(const std::string& key, std::string& properties);

    // ---- Enclosure commands (target "EnclosureId<id>[/suffix]") ----

    /// The enclosure's model key. Always 0 once asked.
    std::int32_t getEnclosureKey(std::uint32_t enclosure, std::string& key);
    /// Enclosure properties document, as returned.
    std::int32_t getEnclosureProperties(std::uint32_t enclosure, std::string& document);
    /// Writes type, version, serial number, options and the two properties texts, then stores
    /// them. 1000 on success; the first failing step stops with 303 (earlier steps stay done).
    std::int32_t writeEnclosureData(const EnclosureData& data);

    // ---- Pass-throughs with caller-built targets ----

    /// The node's board count; 0 when not ready.
    std::uint32_t getBoardCount() const;
    std::int32_t restartServer();
    std::int32_t rebootSystem();
    /// Closes the node's link from any thread, so that a request waiting on it ends at once
    /// (a network node; the local driver has nothing to close).
    void interrupt();
    /// Renames the node (a network node's name; the caller checks the text first).
    std::int32_t setNodeName(const std::string& name);
    /// Both texts are cleared after the call.
    std::int32_t setIpConfig(std::uint32_t mode, std::string& address, std::string& netmask);
    std::int32_t getParamStructStr(const std::string& target, const std::string& item, std::string& text);
    std::int32_t setParamStructStr(const std::string& target, const std::string& item, const std::string& value);
    std::int32_t setParamXmlStr(const std::string& target, const std::string& item, const std::string& value);
    std::int32_t getParamI32(std::int32_t board, std::int32_t command, std::int32_t& value);
    std::int32_t setParamI32(std::int32_t board, std::int32_t command, std::int32_t value);
    std::int32_t getParamXmlStr(const std::string& target, const std::string& item, std::string& text);
    /// The node's own text of a result code (also while not ready); false when it has none.
    bool resultText(std::int32_t result, std::string& text) const;
    /// The driver's or the link's own code behind the last failure mapped to an application
    /// status (700008 behind a 200), so that a message can say what happened; 0 before any.
    std::int32_t lastCause() const { return m_lastCause.load(); }

private:
    bool boardInRange(std::uint32_t board) const;
    std::int32_t getBoardText(std::uint32_t board, const std::string& suffix, const char* item, std::string& text);
    std::int32_t setBoardText(std::uint32_t board, const std::string& suffix, const char* item,
                              const std::string& value);
    std::int32_t sendBoardCommand(std::uint32_t board, std::int32_t command);
    std::int32_t setEepromDocument(std::uint32_t board, const char* item, const std::string& document,
                                   std::int32_t commitCommand, std::int32_t commitFailed);
    std::int32_t rebase(std::uint32_t board, const std::string& code);
    std::int32_t writeEnclosureSteps(const EnclosureData& data);
    std::int32_t mapFailure(std::int32_t result, std::int32_t status);

    NodePtr m_node;
    std::atomic<bool> m_ready{false};
    std::atomic<std::int32_t> m_lastCause{0};
    /// Where each board sits, once asked: boards do not move while a driver or a node link is
    /// open, and every tool names its boards by their place.
    mutable std::mutex m_placesLock;
    std::map<std::uint32_t, std::pair<std::int32_t, std::int32_t>> m_places;
    std::map<std::uint32_t, std::int32_t> m_boardResults;
};

} // namespace z2e
