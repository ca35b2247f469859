#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "config/driver_log_settings.h"
#include "config/simulated_system.h"

namespace z2e {

class QorinCfgCheck;

/// Owner of the driver configuration document "zmpxi_api_config.xml".
///
/// Loads the file (falling back to a built-in template when it is missing, unreadable or
/// invalid), exchanges the driver log settings, mirrors the simulated system into
/// Configuration/Simulation and back, exports and imports demo files and writes the
/// document. The document lives in memory; only saveConfig and exportSimulation touch
/// the disk, always through a temporary file renamed over the target when complete.
///
/// Not thread-safe: use from one thread at a time.
class QorinCfgHandler {
public:
    /// File name of the driver configuration inside the driver's configuration folder.
    static const char* const kConfigFileName; // "zmpxi_api_config.xml"
    /// Root element of every driver configuration; a file with another root is something else.
    static const char* const kRootElement; // "zmpxi_api_config"

    QorinCfgHandler();
    ~QorinCfgHandler();
    QorinCfgHandler(const QorinCfgHandler&) = delete;
    QorinCfgHandler& operator=(const QorinCfgHandler&) = delete;

    /// Loads the file at path. A missing, unreadable, malformed or invalid file is replaced
    /// in memory by the template (the file on disk stays as it is until saveConfig).
    /// Remembers path either way. Returns false only when the template cannot be used.
    bool loadConfig(const std::string& path);

    /// As loadConfig, with the document given as bytes (size is bounded, see
    /// kMaxDocumentSize); path is only remembered.
    bool loadConfigFromBuffer(const void* data, std::size_t size, const std::string& path = std::string());

    /// Appends the allowed level/type/append values of Definition/Logger to the option
    /// lists of settings and takes level, type, append and the command log file name from
    /// Configuration/Logger (each only when present). False when settings is null.
    bool readLoggerSettings(DriverLogSettings* settings) const;

    /// Writes level, type and append into Configuration/Logger (each only where the element
    /// exists). A file name with stem and extension ("trace.txt") sets CmdLogFile to it and
    /// LogFile to stem + "_Dev" + extension ("trace_Dev.txt"); any other name changes
    /// neither. False when settings is null.
    bool writeLoggerSettings(const DriverLogSettings* settings);

    /// Mirrors a system into SimulatedEnclosures/SimulatedBoards: entries whose identity
    /// (EncName, resp. the board KEY's model attributes) is unchanged are kept as they
    /// are, changed ones rewritten, missing ones appended; board entries of emptied slots
    /// are removed and the remaining ones renamed ID0, ID1, ...; entries not matched by
    /// the system are removed. An empty system clears both sections. Entry descriptions
    /// that do not parse are written without KEY. Returns false when the document has no
    /// Simulation sections.
    bool writeSimulatedSystem(const SimulatedSystem& system);

    /// Reads every enclosure entry that has a KEY, in document order, into out (cleared
    /// first). index counts the returned entries from 0; key is the KEY printed raw;
    /// entryXml the whole entry printed raw for the enclosure description parser.
    bool readSimulatedEnclosures(std::vector<SimulatedEnclosureEntry>& out) const;

    /// Reads every board entry that has a KEY and integer EncNumber/SlotNumber, in document
    /// order, into out (cleared first). boardName is FamilyName["-"Type]["."ConBv], or
    /// DisplayName when that is not empty; boardIndex counts the returned entries from 0.
    /// The slot of an entry is at position slotNumber - 2 of enclosure encNumber: callers
    /// must skip entries that point outside their tree.
    bool readSimulatedBoards(std::vector<SimulatedBoardEntry>& out) const;

    /// Builds a demo document (root "Simulation" holding copies of SimulatedEnclosures and
    /// SimulatedBoards). out, when given, receives it printed raw; a non-empty path gets it
    /// written tab-indented as an OutputDestination (an existing regular file replaced only
    /// with `replace`). Returns the result of the write, or true without a path; `error`,
    /// when given, says why it failed, `refused` whether the destination was refused.
    bool exportSimulation(const std::string& path, std::string* out = nullptr, bool replace = false,
                          std::string* error = nullptr, bool* refused = nullptr) const;

    /// Replaces every child of Configuration/Simulation by the children of the demo file's
    /// root element, whatever that root is called. Returns 1 when done, 0 when the file
    /// cannot be read or parsed (the document is then unchanged); `error`, when given, then
    /// says why (line and column for XML errors).
    int importSimulation(const std::string& path, std::string* error = nullptr);

    /// As importSimulation, but a full driver configuration (root zmpxi_api_config) gives
    /// only its SimulatedEnclosures and SimulatedBoards, which replace this document's; the
    /// rest of its Simulation section (mode, switch) stays as it is here.
    int importSimulationOrConfiguration(const std::string& path, std::string* error = nullptr);

    /// Puts a copy of `document` in place of the one in memory (an undo). The path and a
    /// pending keeping aside of an unusable file stay as they are.
    void replaceDocument(const pugi::xml_document& document);

    /// Writes the whole document tab-indented. If loadConfig had replaced an existing file
    /// by the template and path is that file, the old file is first kept beside it as
    /// "<name>.invalid-<timestamp>". A failed write leaves the target untouched. Returns
    /// true on success; otherwise `error`, when given, says why (with the system's reason).
    /// A document whose printed form would not load again (too large) is not written.
    bool saveConfig(const std::string& path, std::string* error = nullptr);

    /// Path given to the last loadConfig.
    const std::string& configPath() const { return m_path; }

    /// True while the loaded file was unusable and has not yet been kept aside by saveConfig.
    bool pendingInvalidFile() const { return m_keepInvalidFile; }
    /// Why the last load fell back to the template although a file was there (line and
    /// column for XML errors); empty when it loaded or was missing.
    const std::string& invalidReason() const { return m_invalidReason; }
    /// Where saveConfig kept the unusable file; empty until it did.
    const std::string& keptInvalidFile() const { return m_keptInvalidFile; }

    /// "<description> at line L, column C" for a parse failure of `text`.
    static std::string parseErrorText(const pugi::xml_parse_result& result, const std::string& text);

    /// Why a document of `kind` ("driver configuration") beyond xpugi::kMaxNodes is not read.
    static std::string tooManyNodesReason(const std::string& kind);

    /// The document in memory.
    const pugi::xml_document& document() const { return m_doc; }

    /// The built-in template as XML text.
    static const char* templateText();

    /// KEY text for an enclosure reported by real hardware: "<KEY EncName="UNKNOWN">",
    /// the raw printed children Name, SubVersion, UserSlotCnt, SlotNoOffset, StarHubSlot
    /// and SystemInfo of enclosureInfo (absent ones omitted), then "</KEY>".
    static std::string hardwareEnclosureKey(const pugi::xml_node& enclosureInfo);

    /// Largest configuration or demo file accepted (bytes).
    static const std::size_t kMaxDocumentSize;
    /// Deepest element nesting accepted in a configuration or demo file; real ones stay
    /// below ten.
    static const std::size_t kMaxNesting;
    /// True when no element of `document` lies deeper than kMaxNesting.
    static bool nestingAcceptable(const pugi::xml_node& document);

private:
    bool loadTemplate();
    bool fallBack(const std::string& reason);
    bool keepInvalidFile();
    int importInto(const std::string& path, bool configurationSections, std::string* error);
    pugi::xml_node section(const char* xpath) const;

    std::string m_path;
    pugi::xml_document m_doc;
    std::shared_ptr<QorinCfgCheck> m_check;
    bool m_keepInvalidFile = false;
    std::string m_invalidReason;
    std::string m_keptInvalidFile;
};

} // namespace z2e
