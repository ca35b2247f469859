#include "product_catalog.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "xml_util.h"

namespace zmpxi_sim {
namespace {

std::vector<FeatureDef> analogFeatures(bool withExcitation)
{
    std::vector<FeatureDef> features = {
        {"Sample rate",
         0x00000003u,
         true,
         {{0x0u, "20 kS/s", true, ""},
          {0x1u, "50 kS/s", true, ""},
          {0x2u, "100 kS/s", true, "-HS"},
          {0x3u, "200 kS/s", false, "-XS"}}},
        {"Anti-alias filter", 0x00000004u, true, {{0x0u, "Off", true, ""}, {0x4u, "On", true, ""}}},
    };
    if (withExcitation)
        features.push_back({"Excitation output", 0x00000008u, true, {{0x0u, "Off", true, ""}, {0x8u, "On", true, ""}}});
    features.push_back({"Service mode", 0x80000000u, false, {{0x0u, "Off", true, ""}, {0x80000000u, "On", true, ""}}});
    return features;
}

BoardModel board(const char* family, const char* type, const char* conBv, BoardFamily kind, char platform,
                 std::int32_t typeCode, const char* baseModel, const char* baseVersion, const char* conModel,
                 const char* conVersion, std::uint32_t features, const char* description)
{
    BoardModel m{};
    m.familyName = family;
    m.type = type;
    m.conBv = conBv;
    m.name = std::string(family) + "-" + type + (*conBv ? std::string(".") + conBv : std::string());
    m.family = kind;
    m.platform = platform;
    m.typeCode = typeCode;
    m.baseModel = baseModel;
    m.baseVersion = baseVersion;
    m.conModel = conModel;
    m.conVersion = conVersion;
    m.defaultFeatures = features;
    m.rangeVolts = 10.0;
    m.description = description;
    return m;
}

std::vector<BoardModel> makeBoards()
{
    std::vector<BoardModel> boards;
    BoardModel m = board("QA", "4008", "BNC", BoardFamily::AnalogInput, 'A', 21, "QBA-08", "3", "QPA-08-BNC", "1", 0x1u,
                         "8 voltage inputs, BNC connectors");
    m.aiChannels = 8;
    boards.push_back(m);

    m = board("QA", "4016", "", BoardFamily::AnalogInput, 'A', 21, "QBA-16", "3", "QPA-16-D37", "2", 0x1u,
              "16 voltage inputs, one D-sub 37 connector");
    m.aiChannels = 16;
    m.olderBaseVersions = {"2"};
    boards.push_back(m);

    m = board("QA", "4032-TEMP", "", BoardFamily::AnalogInput, 'A', 22, "QBA-32T", "1", "QPA-32-TC", "1", 0x0u,
              "32 thermocouple inputs with cold-junction sensors");
    m.aiChannels = 32;
    m.rangeVolts = 0.08;
    boards.push_back(m);

    m = board("QA", "4116-STRAIN", "", BoardFamily::AnalogInput, 'A', 23, "QBA-16S", "2", "QPA-16-RJ", "1", 0x5u,
              "16 bridge inputs with excitation");
    m.aiChannels = 16;
    m.excitation = true;
    m.rangeVolts = 0.1;
    boards.push_back(m);

    m = board("QA", "2208-MULTI", "", BoardFamily::AnalogInput, 'A', 24, "QBA-08M", "1", "QPA-08-MOD", "1", 0x9u,
              "8 universal inputs, one plug-in channel module per channel");
    m.aiChannels = 8;
    m.excitation = true;
    m.channelModules = {"QM-VOLT", "QM-IEPE", "QM-BRIDGE", "QM-TC"};
    boards.push_back(m);

    m = board("QC", "3104", "", BoardFamily::CounterTimer, 'C', 31, "QBC-04", "2", "QPC-04-BNC", "1", 0x0u,
              "4 counter/timer channels");
    m.counterChannels = 4;
    boards.push_back(m);

    m = board("QC", "3108", "", BoardFamily::CounterTimer, 'C', 31, "QBC-08", "2", "QPC-08-D25", "1", 0x0u,
              "8 counter/timer channels with time stamping");
    m.counterChannels = 8;
    boards.push_back(m);

    m = board("QD", "5032", "", BoardFamily::DigitalIo, 'D', 41, "QBD-32", "1", "QPD-32-D37", "1", 0x0u,
              "32 digital inputs/outputs");
    m.dioChannels = 32;
    boards.push_back(m);

    m = board("QD", "5064-ISO", "", BoardFamily::DigitalIo, 'D', 42, "QBD-64I", "1", "QPD-64-TB", "1", 0x2u,
              "64 isolated digital inputs/outputs on terminal blocks");
    m.dioChannels = 64;
    boards.push_back(m);

    m = board("QN", "6204-CAN", "", BoardFamily::CanUart, 'N', 51, "QBN-04", "1", "QPN-04-D9", "1", 0x0u,
              "4 CAN channels");
    m.canChannels = 4;
    boards.push_back(m);

    m = board("QN", "6202-UART", "", BoardFamily::CanUart, 'N', 52, "QBN-02U", "1", "QPN-02-D9", "1", 0x0u,
              "2 UART channels");
    m.uartChannels = 2;
    boards.push_back(m);

    m = board("QN", "6222-COMBO", "", BoardFamily::CanUart, 'N', 53, "QBN-22", "1", "QPN-22-D9", "1", 0x2u,
              "2 CAN and 2 UART channels");
    m.canChannels = 2;
    m.uartChannels = 2;
    boards.push_back(m);

    m = board("QX", "1000", "", BoardFamily::Base, 'X', 10, "QBX-00", "1", "QPX-00", "1", 0x0u,
              "plain base board with a blank panel");
    boards.push_back(m);
    return boards;
}

std::vector<EnclosureOptionDef> fanOption()
{
    return {{"FanMode", 0, {{0, "Auto"}, {1, "Quiet"}, {2, "Full"}}}};
}

EnclosureModel enclosure(const char* name, const char* encName, std::int32_t type, std::int32_t version,
                         std::int32_t slots, std::int32_t starHub, EnclosureKind kind, bool writable,
                         const char* description)
{
    EnclosureModel e{};
    e.name = name;
    e.encName = encName;
    e.encType = type;
    e.encVersion = version;
    e.subVersion = 0;
    e.slotCount = slots;
    e.slotNoOffset = 2;
    e.starHubSlot = starHub;
    e.kind = kind;
    e.writable = writable;
    e.description = description;
    return e;
}

std::vector<EnclosureModel> makeEnclosures()
{
    std::vector<EnclosureModel> list;
    EnclosureModel e = enclosure("QE-R8", "0000E108", 1, 2, 8, 0, EnclosureKind::Rack, true, "8-slot 19-inch rack");
    e.options = fanOption();
    e.options.push_back({"PowerOnDelay", 0, {{0, "0 s"}, {1, "1 s"}, {2, "2 s"}, {3, "5 s"}}});
    e.options.push_back({"SyncMaster", 1, {{0, "No"}, {1, "Yes"}}});
    list.push_back(e);

    e = enclosure("QE-R16", "0000E116", 2, 1, 16, 10, EnclosureKind::Rack, true, "16-slot 19-inch rack with star hub");
    e.subVersion = 1;
    e.options = fanOption();
    e.options.push_back({"SyncMaster", 1, {{0, "No"}, {1, "Yes"}}});
    list.push_back(e);

    e = enclosure("QE-P4", "0000E204", 3, 1, 4, 0, EnclosureKind::Portable, true, "4-slot portable case with battery");
    e.options = fanOption();
    e.options.push_back({"BatteryMode", 0, {{0, "Mains first"}, {1, "Battery first"}}});
    list.push_back(e);

    e = enclosure("QORINet QN-N6", "0000E306", 4, 3, 6, 0, EnclosureKind::NetworkNode, true,
                  "6-slot QORINet network node");
    e.options = fanOption();
    e.options.push_back({"SyncMaster", 0, {{0, "No"}, {1, "Yes"}}});
    e.options.push_back({"NetBootMode", 0, {{0, "Static"}, {1, "DHCP"}}});
    list.push_back(e);

    e = enclosure("QE-D2", "0000E402", 5, 1, 2, 0, EnclosureKind::Desktop, true, "2-slot desktop box");
    e.options = fanOption();
    list.push_back(e);

    e = enclosure("QE-X8", "0000E508", 6, 1, 8, 0, EnclosureKind::Rack, true, "8-slot expansion rack, chainable");
    e.options = fanOption();
    e.options.push_back({"ChainPosition", 0, {{0, "First"}, {1, "Second"}, {2, "Third"}, {3, "Fourth"}}});
    list.push_back(e);

    e = enclosure("Host PC", "0000E000", 0, 1, 4, 0, EnclosureKind::HostPc, false,
                  "boards in the expansion slots of this computer");
    list.push_back(e);
    return list;
}

int typeNumber(const std::string& type)
{
    return std::atoi(type.c_str());
}

} // namespace

const ProductCatalog& ProductCatalog::instance()
{
    static const ProductCatalog catalog;
    return catalog;
}

ProductCatalog::ProductCatalog()
    : m_boards(makeBoards()), m_enclosures(makeEnclosures()), m_aiFeatures(analogFeatures(false)),
      m_multiFeatures(analogFeatures(true))
{
    m_counterFeatures = {
        {"Counter width", 0x1u, true, {{0x0u, "32 bit", true, ""}, {0x1u, "48 bit", true, ""}}},
        {"Time stamping", 0x2u, true, {{0x0u, "Off", true, ""}, {0x2u, "On", true, "-TS"}}},
    };
    m_dioFeatures = {
        {"Output drivers", 0x1u, true, {{0x0u, "Sink", true, ""}, {0x1u, "Source", true, ""}}},
        {"Debounce filter", 0x2u, true, {{0x0u, "Off", true, ""}, {0x2u, "On", true, ""}}},
    };
    m_busFeatures = {
        {"Flexible data rate", 0x1u, true, {{0x0u, "Off", true, ""}, {0x1u, "On", true, "-FD"}}},
        {"Time sync", 0x2u, true, {{0x0u, "Off", true, ""}, {0x2u, "On", true, ""}}},
    };
    for (const BoardModel& model : m_boards) {
        m_baseEntries.push_back({baseId(model, model.baseVersion), &model, model.baseVersion});
        for (const std::string& older : model.olderBaseVersions)
            m_baseEntries.push_back({baseId(model, older), &model, older});
        // Two released images per model: the current one and its predecessor.
        const std::uint32_t latest = 0x0100u + static_cast<std::uint32_t>(model.typeCode) * 0x10u + 0x4u;
        std::string stem;
        for (char c : model.name) {
            if (std::isalnum(static_cast<unsigned char>(c)))
                stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        for (std::uint32_t version : {latest - 0x3u, latest}) {
            const std::string text = xml_util::hex4(version);
            m_firmware.push_back({stem + "_" + text + ".zfw", model.name, text});
        }
    }
}

const std::vector<FeatureDef>& ProductCatalog::features(const BoardModel& model) const
{
    switch (model.family) {
    case BoardFamily::AnalogInput: return model.excitation ? m_multiFeatures : m_aiFeatures;
    case BoardFamily::CounterTimer: return m_counterFeatures;
    case BoardFamily::DigitalIo: return m_dioFeatures;
    case BoardFamily::CanUart: return m_busFeatures;
    case BoardFamily::Base: return m_noFeatures;
    }
    return m_noFeatures;
}

const BoardModel* ProductCatalog::boardByName(const std::string& name) const
{
    for (const BoardModel& model : m_boards) {
        if (xml_util::equalsNoCase(model.name, name))
            return &model;
    }
    return nullptr;
}

const BoardModel* ProductCatalog::boardByBaseModel(const std::string& baseModel) const
{
    for (const BoardModel& model : m_boards) {
        if (xml_util::equalsNoCase(model.baseModel, baseModel))
            return &model;
    }
    return nullptr;
}

const EnclosureModel* ProductCatalog::enclosureByName(const std::string& name) const
{
    for (const EnclosureModel& model : m_enclosures) {
        if (xml_util::equalsNoCase(model.name, name))
            return &model;
    }
    return nullptr;
}

const EnclosureModel* ProductCatalog::enclosureByEncName(const std::string& encName) const
{
    for (const EnclosureModel& model : m_enclosures) {
        if (xml_util::equalsNoCase(model.encName, encName))
            return &model;
    }
    return nullptr;
}

const EnclosureModel* ProductCatalog::enclosureByType(std::int32_t encType) const
{
    for (const EnclosureModel& model : m_enclosures) {
        if (model.encType == encType)
            return &model;
    }
    return nullptr;
}

const BaseEepromEntry* ProductCatalog::baseEntry(const std::string& id) const
{
    for (const BaseEepromEntry& entry : m_baseEntries) {
        if (entry.id == xml_util::trimmed(id))
            return &entry;
    }
    return nullptr;
}

const BaseEepromEntry* ProductCatalog::baseEntry(const std::string& baseModel, const std::string& baseVersion) const
{
    for (const BaseEepromEntry& entry : m_baseEntries) {
        if (xml_util::equalsNoCase(entry.model->baseModel, baseModel) && entry.baseVersion == baseVersion)
            return &entry;
    }
    return nullptr;
}

const FirmwareFile* ProductCatalog::latestFirmware(const std::string& modelName) const
{
    const FirmwareFile* best = nullptr;
    std::uint32_t bestVersion = 0;
    for (const FirmwareFile& file : m_firmware) {
        std::uint32_t version = 0;
        if (file.modelName != modelName || !xml_util::parseHex32(file.version, version))
            continue;
        if (!best || version > bestVersion) {
            best = &file;
            bestVersion = version;
        }
    }
    return best;
}

const FirmwareFile* ProductCatalog::firmwareByFileName(const std::string& fileName) const
{
    for (const FirmwareFile& file : m_firmware) {
        if (xml_util::equalsNoCase(file.fileName, fileName))
            return &file;
    }
    return nullptr;
}

const FirmwareFile* ProductCatalog::firmwareByVersion(const std::string& modelName, std::uint32_t version) const
{
    for (const FirmwareFile& file : m_firmware) {
        std::uint32_t fileVersion = 0;
        if (file.modelName == modelName && xml_util::parseHex32(file.version, fileVersion) && fileVersion == version)
            return &file;
    }
    return nullptr;
}

std::string ProductCatalog::displayName(const BoardModel& model, std::uint32_t featureSet) const
{
    std::string name = model.name;
    for (const FeatureDef& feature : features(model)) {
        for (const FeatureValueDef& value : feature.values) {
            if ((featureSet & feature.mask) == value.value)
                name += value.nameSuffix;
        }
    }
    return name;
}

std::string ProductCatalog::baseId(const BoardModel& model, const std::string& baseVersion)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%04d%02d", static_cast<int>(model.typeCode % 100),
                  typeNumber(model.type) % 10000, std::atoi(baseVersion.c_str()) % 100);
    return buffer;
}

const char* familyText(BoardFamily family)
{
    switch (family) {
    case BoardFamily::AnalogInput: return "Analog input";
    case BoardFamily::CounterTimer: return "Counter/timer";
    case BoardFamily::DigitalIo: return "Digital I/O";
    case BoardFamily::CanUart: return "CAN/UART";
    case BoardFamily::Base: return "Base board";
    }
    return "";
}

const char* enclosureKindText(EnclosureKind kind)
{
    switch (kind) {
    case EnclosureKind::Rack: return "Rack";
    case EnclosureKind::Portable: return "Portable";
    case EnclosureKind::NetworkNode: return "NetworkNode";
    case EnclosureKind::Desktop: return "Desktop";
    case EnclosureKind::HostPc: return "HostPC";
    }
    return "";
}

} // namespace zmpxi_sim
