#pragma once
// The product data of the simulated system: board and enclosure models, base EEPROM
// generations and firmware files. All of it is this simulator's own invention.

#include <cstdint>
#include <string>
#include <vector>

namespace zmpxi_sim {

enum class BoardFamily { AnalogInput, CounterTimer, DigitalIo, CanUart, Base };

/// One selectable value of a board feature.
struct FeatureValueDef {
    std::uint32_t value;
    std::string text;
    bool visible;
    std::string nameSuffix; ///< appended to the display name while selected
};

/// A board feature: a bit field of the 32-bit feature set.
struct FeatureDef {
    std::string name;
    std::uint32_t mask;
    bool visible;
    std::vector<FeatureValueDef> values;
};

struct BoardModel {
    std::string name;       ///< display name, e.g. "QA-4016"
    std::string familyName; ///< first part of the name, "QA"
    std::string type;       ///< second part, "4016"
    std::string conBv;      ///< connector variant, third part; may be empty
    BoardFamily family;
    char platform;         ///< boards of one platform may be cross-graded into each other
    std::int32_t typeCode; ///< answered by integer command 1282
    std::string baseModel;
    std::string baseVersion; ///< current generation
    std::vector<std::string> olderBaseVersions;
    std::string conModel;
    std::string conVersion;
    std::uint32_t defaultFeatures;
    int aiChannels;
    int counterChannels;
    int dioChannels;
    int canChannels;
    int uartChannels;
    bool excitation;
    double rangeVolts;
    std::vector<std::string> channelModules; ///< modules a channel may carry; empty: none
    std::string description;
};

struct EnclosureOptionDef {
    std::string name;
    std::int32_t defaultValue;
    std::vector<std::pair<std::int32_t, std::string>> values;
};

enum class EnclosureKind { Rack, Portable, NetworkNode, Desktop, HostPc };

struct EnclosureModel {
    std::string name;
    std::string encName; ///< eight hexadecimal digits identifying the model
    std::int32_t encType;
    std::int32_t encVersion;
    std::int32_t subVersion;
    std::int32_t slotCount;
    std::int32_t slotNoOffset;
    std::int32_t starHubSlot; ///< 0: none
    EnclosureKind kind;
    bool writable; ///< has an enclosure data memory
    std::vector<EnclosureOptionDef> options;
    std::string description;
};

/// One base EEPROM generation a board can be written or cross-graded to.
struct BaseEepromEntry {
    std::string id; ///< eight decimal digits
    const BoardModel* model;
    std::string baseVersion;
};

struct FirmwareFile {
    std::string fileName;
    std::string modelName;
    std::string version; ///< hexadecimal text
};

/// Read-only access to the product data; one process-wide instance.
class ProductCatalog {
public:
    static const ProductCatalog& instance();

    const std::vector<BoardModel>& boards() const { return m_boards; }
    const std::vector<EnclosureModel>& enclosures() const { return m_enclosures; }
    const std::vector<BaseEepromEntry>& baseEepromEntries() const { return m_baseEntries; }
    const std::vector<FirmwareFile>& firmwareFiles() const { return m_firmware; }

    /// Features of a model's family, in feature-list order.
    const std::vector<FeatureDef>& features(const BoardModel& model) const;

    const BoardModel* boardByName(const std::string& name) const;
    const BoardModel* boardByBaseModel(const std::string& baseModel) const;
    const EnclosureModel* enclosureByName(const std::string& name) const;
    const EnclosureModel* enclosureByEncName(const std::string& encName) const;
    const EnclosureModel* enclosureByType(std::int32_t encType) const;
    const BaseEepromEntry* baseEntry(const std::string& id) const;
    const BaseEepromEntry* baseEntry(const std::string& baseModel, const std::string& baseVersion) const;
    /// The newest firmware file of a model, or null.
    const FirmwareFile* latestFirmware(const std::string& modelName) const;
    const FirmwareFile* firmwareByFileName(const std::string& fileName) const;
    const FirmwareFile* firmwareByVersion(const std::string& modelName, std::uint32_t version) const;

    /// The display name for a feature set: the model name plus the suffixes of the selected values.
    std::string displayName(const BoardModel& model, std::uint32_t featureSet) const;
    /// The 8-digit identifier of a model generation.
    static std::string baseId(const BoardModel& model, const std::string& baseVersion);

private:
    ProductCatalog();

    std::vector<BoardModel> m_boards;
    std::vector<EnclosureModel> m_enclosures;
    std::vector<BaseEepromEntry> m_baseEntries;
    std::vector<FirmwareFile> m_firmware;
    std::vector<FeatureDef> m_aiFeatures;
    std::vector<FeatureDef> m_multiFeatures;
    std::vector<FeatureDef> m_counterFeatures;
    std::vector<FeatureDef> m_dioFeatures;
    std::vector<FeatureDef> m_busFeatures;
    std::vector<FeatureDef> m_noFeatures;
};

const char* familyText(BoardFamily family);
const char* enclosureKindText(EnclosureKind kind);

} // namespace zmpxi_sim
