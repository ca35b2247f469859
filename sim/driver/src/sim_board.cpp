#include "sim_board.h"

#include "file_util.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

EepromHealth healthOf(EepromFault fault)
{
    switch (fault) {
    case EepromFault::Corrupt: return EepromHealth::Corrupt;
    case EepromFault::Blank: return EepromHealth::Blank;
    case EepromFault::None: break;
    }
    return EepromHealth::Good;
}

} // namespace

SimBoard::SimBoard(BoardEntry entry, const BoardModel& configured, int index, bool simulated,
                   std::shared_ptr<const StateStore> store)
    : m_entry(std::move(entry)), m_configured(&configured), m_model(&configured), m_index(index),
      m_simulated(simulated), m_store(std::move(store)), m_can(configured.canChannels), m_uart(configured.uartChannels)
{
    if (m_entry.serialNumber.empty())
        m_entry.serialNumber = xml_util::hex8(static_cast<std::uint32_t>(index < 0 ? 0 : index));
    m_stateKey = StateStore::key(simulated, m_entry.serialNumber);
    m_firmwareFailuresLeft = m_entry.faults.firmwareUpdateFailures;
    loadOrCreate();
    refresh();
}

void SimBoard::loadOrCreate()
{
    const ProductCatalog& catalog = ProductCatalog::instance();
    std::string version = m_entry.baseVersion;
    if (!catalog.baseEntry(m_configured->baseModel, version))
        version = m_configured->baseVersion;
    std::uint32_t features = m_configured->defaultFeatures;
    xml_util::parseHex32(m_entry.featureSet, features);
    const std::string defaultBase =
        EepromDocuments::defaultBase(*m_configured, version, m_entry.serialNumber, features, m_entry.calDate);
    const std::string conSerial = conSerialNumber();
    const std::string defaultCon = EepromDocuments::defaultCon(*m_configured, conSerial, m_entry.calDate);

    BoardState state;
    const bool stored = m_store && m_store->loadBoard(m_stateKey, state);
    m_firmware = stored && !state.fwRevision.empty() ? state.fwRevision : m_entry.fwRevision;
    if (m_firmware.empty()) {
        const FirmwareFile* latest = catalog.latestFirmware(m_configured->name);
        m_firmware = latest ? latest->version : "0100";
    }
    // What was stored wins over the fault setting, which holds until something is written.
    const auto restore = [stored](Eeprom& eeprom, const StoredEeprom& saved, EepromFault fault,
                                  const std::string& fallback) {
        if (stored && saved.present) {
            eeprom.health = saved.health;
            eeprom.document = saved.document;
        } else {
            eeprom.health = healthOf(fault);
            eeprom.document = eeprom.health == EepromHealth::Good ? fallback : std::string();
        }
    };
    restore(m_base, state.base, m_entry.faults.baseEeprom, defaultBase);
    restore(m_con, state.con, m_entry.faults.conEeprom, defaultCon);
    prepareBackup(m_base, "base", m_entry.faults.baseBackup, defaultBase);
    prepareBackup(m_con, "con", m_entry.faults.conBackup, defaultCon);
}

void SimBoard::prepareBackup(Eeprom& eeprom, const char* which, bool allowed, const std::string& fallback)
{
    if (!m_store)
        return;
    eeprom.backupAllowed = allowed;
    eeprom.backupPath = m_store->backupPath(m_stateKey, which);
    if (!allowed || file_util::isFile(eeprom.backupPath))
        return;
    // The automatic backup is taken the first time the driver sees the board; a board that
    // arrives with a faulty EEPROM is assumed to have been backed up before it broke.
    const std::string& content = eeprom.health == EepromHealth::Good ? eeprom.document : fallback;
    file_util::writeFileAtomic(eeprom.backupPath, content);
}

bool SimBoard::backupPresent(const Eeprom& eeprom) const
{
    return eeprom.backupAllowed && !eeprom.backupPath.empty() && file_util::isFile(eeprom.backupPath);
}

void SimBoard::refresh()
{
    const ProductCatalog& catalog = ProductCatalog::instance();
    BaseFacts facts;
    if (m_base.health == EepromHealth::Good && EepromDocuments::readBase(m_base.document, facts)) {
        const BaseEepromEntry* generation = catalog.baseEntry(facts.baseModel, facts.baseVersion);
        const BoardModel* model = generation ? generation->model : catalog.boardByBaseModel(facts.baseModel);
        m_model = model ? model : m_configured;
        m_baseVersion = generation ? facts.baseVersion : m_model->baseVersion;
        m_serialNumber = facts.serialNumber.empty() ? m_entry.serialNumber : facts.serialNumber;
        m_featureSet = facts.featureSet;
        m_baseFacts = std::move(facts);
    } else {
        m_model = m_configured;
        m_baseVersion =
            catalog.baseEntry(m_model->baseModel, m_entry.baseVersion) ? m_entry.baseVersion : m_model->baseVersion;
        m_serialNumber = m_entry.serialNumber;
        m_featureSet = m_model->defaultFeatures;
        xml_util::parseHex32(m_entry.featureSet, m_featureSet);
        m_baseFacts = BaseFacts{};
    }
    ConFacts con;
    if (m_con.health == EepromHealth::Good && EepromDocuments::readCon(m_con.document, con))
        m_conFacts = std::move(con);
    else
        m_conFacts = ConFacts{};
}

std::string SimBoard::conSerialNumber() const
{
    if (!m_conFacts.serialNumber.empty())
        return m_conFacts.serialNumber;
    if (!m_entry.conSerialNumber.empty())
        return m_entry.conSerialNumber;
    return xml_util::hex8(xml_util::hash(m_entry.serialNumber + "panel"));
}

std::string SimBoard::displayName() const
{
    return ProductCatalog::instance().displayName(*m_model, m_featureSet);
}

std::string SimBoard::boardName() const
{
    if (m_base.health != EepromHealth::Good)
        return "E2PROM-ERROR";
    if (m_con.health != EepromHealth::Good)
        return displayName() + " E2PROM-ERROR";
    return displayName();
}

std::string SimBoard::baseId() const
{
    return ProductCatalog::baseId(*m_model, m_baseVersion);
}

bool SimBoard::takeFirmwareFailure()
{
    if (m_firmwareFailuresLeft < 0)
        return true;
    if (m_firmwareFailuresLeft == 0)
        return false;
    --m_firmwareFailuresLeft;
    return true;
}

bool SimBoard::beginOperation()
{
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

std::string SimBoard::channelModule(int channel) const
{
    if (m_model->channelModules.empty())
        return std::string();
    const std::string name = "AI" + std::to_string(channel);
    for (const auto& [channelName, module] : m_entry.channelModules) {
        if (channelName == name && !module.empty())
            return module;
    }
    return m_model->channelModules.front();
}

void SimBoard::setTemperatureFaults(const std::string& base, const std::string& con)
{
    m_entry.faults.baseTemp = base;
    m_entry.faults.conTemp = con;
}

std::string SimBoard::baseTemperature() const
{
    if (!m_entry.faults.baseTemp.empty())
        return m_entry.faults.baseTemp;
    return xml_util::fixed(28.0 + 8.0 * xml_util::unitHash(m_stateKey + "base"), 1);
}

std::string SimBoard::conTemperature() const
{
    if (!m_entry.faults.conTemp.empty())
        return m_entry.faults.conTemp;
    // A blank panel carries no temperature sensor.
    if (m_model->family == BoardFamily::Base)
        return "N.A.";
    return xml_util::fixed(26.0 + 6.0 * xml_util::unitHash(m_stateKey + "con"), 1);
}

const LiteralDocument* SimBoard::literal(const std::string& suffix, const std::string& item) const
{
    return findLiteral(m_entry.literals, suffix, item);
}

bool SimBoard::persist() const
{
    if (!m_store)
        return true;
    BoardState state;
    state.fwRevision = m_firmware;
    state.base = {true, m_base.health, m_base.document};
    state.con = {true, m_con.health, m_con.document};
    return m_store->saveBoard(m_stateKey, state);
}

} // namespace zmpxi_sim
