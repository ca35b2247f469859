#pragma once
// Hardware descriptions for the driver stand-in, written by tests: board entries (with their
// faults and literal documents) in one 16-slot rack.

#include <sstream>
#include <string>

namespace z2e::test {

/// One board entry; `extra` goes inside the entry (Faults, Literals).
inline std::string boardEntry(int id, const std::string& model, int slot, const std::string& firmware,
                              const std::string& serial, const std::string& extra = "")
{
    std::ostringstream out;
    out << "<ID" << id << "><Model>" << model << "</Model><EncNumber>0</EncNumber><SlotNumber>" << slot
        << "</SlotNumber><FWRevision>" << firmware << "</FWRevision><SerialNumber>" << serial << "</SerialNumber>"
        << extra << "</ID" << id << ">";
    return out.str();
}

/// A literal firmware check of a board's base, for boardEntry's `extra`.
inline std::string firmwareCheckLiteral(const std::string& installed, const std::string& latest)
{
    return "<Literals><Document Suffix=\"Base\" Item=\"FWCheck\"><FWCheck><InstalledVersion>" + installed +
           "</InstalledVersion><LatestVersion>" + latest +
           "</LatestVersion><FileName>x.zfw</FileName>"
           "</FWCheck></Document></Literals>";
}

/// The whole description: one QE-R16 rack holding `boards` (entries of boardEntry).
inline std::string rackHardware(const std::string& boards)
{
    return "<SimulatedHardware><SimulatedEnclosures><ID0><Model>QE-R16</Model>"
           "<SerialNumber>00B1E116</SerialNumber><UserData/><EncType>2</EncType><EncVersion>1</EncVersion>"
           "</ID0></SimulatedEnclosures><SimulatedBoards>" +
           boards + "</SimulatedBoards></SimulatedHardware>";
}

} // namespace z2e::test
