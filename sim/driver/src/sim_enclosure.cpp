#include "sim_enclosure.h"

#include "xml_util.h"

namespace zmpxi_sim {

SimEnclosure::SimEnclosure(EnclosureEntry entry, const EnclosureModel& model, int index, bool simulated,
                           std::shared_ptr<const StateStore> store)
    : m_entry(std::move(entry)), m_model(&model), m_index(index), m_simulated(simulated), m_store(std::move(store))
{
    if (m_entry.serialNumber.empty())
        m_entry.serialNumber = xml_util::hex8(static_cast<std::uint32_t>(index < 0 ? 0 : index));
    m_stateKey = StateStore::key(simulated, "enc" + m_entry.serialNumber);
    m_data.encType = m_entry.encType.empty() ? std::to_string(model.encType) : m_entry.encType;
    m_data.encVersion = m_entry.encVersion.empty() ? std::to_string(model.encVersion) : m_entry.encVersion;
    m_data.encName = m_entry.encName.empty() || m_entry.encName == "UNKNOWN" ? model.encName : m_entry.encName;
    m_data.serialNumber = m_entry.serialNumber;
    m_data.userData = m_entry.userData;
    for (const EnclosureOptionDef& option : model.options)
        m_data.options.emplace_back(option.name, std::to_string(option.defaultValue));
    for (const auto& [name, value] : m_entry.options)
        setOption(name, value);
    EnclosureState stored;
    if (m_store && m_store->loadEnclosure(m_stateKey, stored)) {
        const auto options = stored.options;
        stored.options = m_data.options;
        m_data = stored;
        for (const auto& [name, value] : options)
            setOption(name, value);
    }
}

std::string SimEnclosure::name() const
{
    return m_entry.name.empty() ? m_model->name : m_entry.name;
}

std::int32_t SimEnclosure::userSlotCount() const
{
    return m_entry.userSlotCnt > 0 ? m_entry.userSlotCnt : m_model->slotCount;
}

std::int32_t SimEnclosure::slotNoOffset() const
{
    return m_entry.slotNoOffset >= 0 ? m_entry.slotNoOffset : m_model->slotNoOffset;
}

std::int32_t SimEnclosure::starHubSlot() const
{
    return m_entry.hasKey ? m_entry.starHubSlot : m_model->starHubSlot;
}

bool SimEnclosure::hasSlot(std::int32_t slotNumber) const
{
    return slotNumber >= slotNoOffset() && slotNumber < slotNoOffset() + userSlotCount();
}

std::string SimEnclosure::option(const std::string& name) const
{
    for (const auto& [optionName, value] : m_data.options) {
        if (optionName == name)
            return value;
    }
    return std::string();
}

bool SimEnclosure::setOption(const std::string& name, const std::string& value)
{
    for (auto& [optionName, current] : m_data.options) {
        if (optionName == name) {
            current = xml_util::trimmed(value);
            return true;
        }
    }
    return false;
}

void SimEnclosure::clearOptions()
{
    for (auto& option : m_data.options)
        option.second.clear();
}

const LiteralDocument* SimEnclosure::literal(const std::string& suffix, const std::string& item) const
{
    return findLiteral(m_entry.literals, suffix, item);
}

bool SimEnclosure::persist() const
{
    return !m_store || m_store->saveEnclosure(m_stateKey, m_data);
}

} // namespace zmpxi_sim
