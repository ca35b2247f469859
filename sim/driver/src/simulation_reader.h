#pragma once
// Reads enclosure and board entries (the Simulation section format) into entry records and
// checks them against the rules the program's configuration checker applies.

#include <string>

#include <pugixml.hpp>

#include "simulation_entries.h"

namespace zmpxi_sim {

class SimulationReader {
public:
    enum class Mode {
        Configuration, ///< full entry rules
        Hardware,      ///< full rules, plus fault settings, literal documents and "Model" shorthands
        Fragment       ///< a single entry describing a model; placement children are optional
    };

    explicit SimulationReader(Mode mode) : m_mode(mode) {}

    /// Reads the entries of both lists (either may be null). False with `error` when a rule fails.
    bool read(const pugi::xml_node& enclosures, const pugi::xml_node& boards, SimulationSection& out,
              std::string& error) const;
    bool readBoard(const pugi::xml_node& entry, BoardEntry& out, std::string& error) const;
    bool readEnclosure(const pugi::xml_node& entry, EnclosureEntry& out, std::string& error) const;

    /// Reads "SystemFaults"-style settings below `faults`.
    static void readSystemFaults(const pugi::xml_node& faults, SystemFaults& out);

private:
    bool readBoardKey(const pugi::xml_node& key, BoardEntry& out, std::string& error) const;
    bool readEnclosureKey(const pugi::xml_node& key, EnclosureEntry& out, std::string& error) const;
    bool modelNamed(const pugi::xml_node& entry, const std::string& modelName, std::string& error) const;
    static void readBoardFaults(const pugi::xml_node& faults, BoardFaults& out);
    static void readLiterals(const pugi::xml_node& literals, std::vector<LiteralDocument>& out);

    Mode m_mode;
};

} // namespace zmpxi_sim
