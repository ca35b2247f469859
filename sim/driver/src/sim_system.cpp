#include "sim_system.h"

#include <set>
#include <utility>

#include "xml_util.h"

namespace zmpxi_sim {

SimSystem::SimSystem(bool simulated) : m_simulated(simulated) {}

std::shared_ptr<SimBoard> SimSystem::board(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_boards.size())
        return nullptr;
    return m_boards[static_cast<std::size_t>(index)];
}

std::shared_ptr<SimEnclosure> SimSystem::enclosure(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_enclosures.size())
        return nullptr;
    return m_enclosures[static_cast<std::size_t>(index)];
}

BoardPlacement SimSystem::placement(const SimBoard& board) const
{
    BoardPlacement placement;
    placement.boardId = board.index();
    placement.enclosureNo = board.entry().encNumber;
    placement.slotNo = board.entry().slotNumber;
    for (const auto& other : m_boards) {
        if (other.get() == &board)
            break;
        placement.channelStart += other->model().aiChannels;
    }
    return placement;
}

int SimSystem::boardCountIn(int enclosureIndex) const
{
    int count = 0;
    for (const auto& board : m_boards)
        count += board->entry().encNumber == enclosureIndex ? 1 : 0;
    return count;
}

std::string SimSystem::enclosureCountText() const
{
    if (m_faults.overrideEnclosureCount)
        return m_faults.enclosureCountText;
    return std::to_string(m_enclosures.size());
}

const BoardModel* SimSystem::resolveBoard(const BoardEntry& entry)
{
    const ProductCatalog& catalog = ProductCatalog::instance();
    if (!entry.modelName.empty())
        return catalog.boardByName(entry.modelName);
    if (!entry.hasKey)
        return nullptr;
    if (const BoardModel* model = catalog.boardByBaseModel(entry.baseModel))
        return model;
    if (const BoardModel* model = catalog.boardByName(entry.displayName))
        return model;
    std::string built = entry.familyName;
    if (!entry.type.empty())
        built += "-" + entry.type;
    if (!entry.conBv.empty())
        built += "." + entry.conBv;
    return catalog.boardByName(built);
}

const EnclosureModel* SimSystem::resolveEnclosure(const EnclosureEntry& entry)
{
    const ProductCatalog& catalog = ProductCatalog::instance();
    if (!entry.modelName.empty())
        return catalog.enclosureByName(entry.modelName);
    if (const EnclosureModel* model = catalog.enclosureByName(entry.name))
        return model;
    std::int32_t type = 0;
    if (xml_util::parseInt32(entry.encType, type)) {
        if (const EnclosureModel* model = catalog.enclosureByType(type))
            return model;
    }
    return catalog.enclosureByEncName(entry.encName);
}

std::shared_ptr<SimSystem> SimSystem::build(const SimulationSection& section, bool simulated,
                                            std::shared_ptr<StateStore> store, DriverLog& log)
{
    auto system = std::make_shared<SimSystem>(simulated);
    const char* what = simulated ? "simulated" : "hardware";
    for (const EnclosureEntry& entry : section.enclosures) {
        const EnclosureModel* model = resolveEnclosure(entry);
        if (!model) {
            log.write(DriverLog::Level::Warning, std::string(what) + " enclosure " + entry.id +
                                                     ": unknown enclosure model \"" + entry.name + entry.modelName +
                                                     "\"; left out");
            continue;
        }
        const int index = static_cast<int>(system->m_enclosures.size());
        system->m_enclosures.push_back(std::make_shared<SimEnclosure>(entry, *model, index, simulated, store));
    }
    std::set<std::pair<int, int>> used;
    for (const BoardEntry& entry : section.boards) {
        const BoardModel* model = resolveBoard(entry);
        const auto enclosure = system->enclosure(entry.encNumber);
        std::string problem;
        if (!model)
            problem = "unknown board model \"" + entry.displayName + entry.modelName + "\"";
        else if (!enclosure)
            problem = "no enclosure " + std::to_string(entry.encNumber);
        else if (!enclosure->hasSlot(entry.slotNumber))
            problem =
                "enclosure " + std::to_string(entry.encNumber) + " has no slot " + std::to_string(entry.slotNumber);
        else if (!used.insert({entry.encNumber, entry.slotNumber}).second)
            problem = "slot " + std::to_string(entry.slotNumber) + " is taken";
        if (!problem.empty()) {
            log.write(DriverLog::Level::Warning,
                      std::string(what) + " board " + entry.id + ": " + problem + "; left out");
            continue;
        }
        const int index = static_cast<int>(system->m_boards.size());
        system->m_boards.push_back(std::make_shared<SimBoard>(entry, *model, index, simulated, store));
    }
    return system;
}

} // namespace zmpxi_sim
