#pragma once
// One enclosure of the simulated system and its enclosure data memory.

#include <memory>
#include <string>

#include "product_catalog.h"
#include "simulation_entries.h"
#include "state_store.h"

namespace zmpxi_sim {

class SimEnclosure {
public:
    /// `store` may be null for an enclosure that exists only to describe a model.
    SimEnclosure(EnclosureEntry entry, const EnclosureModel& model, int index, bool simulated,
                 std::shared_ptr<const StateStore> store);

    int index() const { return m_index; }
    bool simulated() const { return m_simulated; }
    const EnclosureModel& model() const { return *m_model; }
    const EnclosureEntry& entry() const { return m_entry; }

    std::string name() const;
    std::int32_t userSlotCount() const;
    std::int32_t slotNoOffset() const;
    std::int32_t starHubSlot() const;
    /// True when `slotNumber` is one of this enclosure's slots.
    bool hasSlot(std::int32_t slotNumber) const;

    /// The enclosure data as currently written (not necessarily stored yet).
    EnclosureState& data() { return m_data; }
    const EnclosureState& data() const { return m_data; }
    /// Value of an option, or empty when it has none.
    std::string option(const std::string& name) const;
    /// Sets an option the model knows; false for an unknown name.
    bool setOption(const std::string& name, const std::string& value);
    void clearOptions();

    const LiteralDocument* literal(const std::string& suffix, const std::string& item) const;
    /// Writes the enclosure data into the state folder.
    bool persist() const;

private:
    EnclosureEntry m_entry;
    const EnclosureModel* m_model;
    int m_index;
    bool m_simulated;
    std::shared_ptr<const StateStore> m_store;
    std::string m_stateKey;
    EnclosureState m_data;
};

} // namespace zmpxi_sim
