#include "core/node_types.h"
#include "core/problem_list.h"
#include "core/temperature_rows.h"
#include "support/model_builders.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

using namespace z2e::test;

std::vector<std::string> lines(const std::vector<Problem>& problems)
{
    std::vector<std::string> shown;
    for (const Problem& problem : problems)
        shown.push_back(std::string(ProblemList::kindName(problem.kind)) + " | " + problem.where + " | " +
                        problem.what);
    return shown;
}

// One problem per fault, however many red rows show it, with where and the numbers.
TEST(ProblemListTest, EachFaultOnceWithItsPlaceAndNumbers)
{
    RootNode root(SystemKind::Local);
    EnclosureNode* enclosure = addEnclosure(root, "QE-R16", 2, 16);
    SlotNode* old = addSlot(*enclosure, 0, "QA-4008.BNC  [WARNING: Firmware old.]");
    old->serialNumber = "10A80001";
    SlotNode* broken = addSlot(*enclosure, 3, "E2PROM-ERROR");
    addRow(*broken, NodeType::Property, "BoardName", {"E2PROM-ERROR"});
    SlotNode* hot = addSlot(*enclosure, 4, "QD-5064-ISO");
    addRow(*hot, NodeType::Temperature, "BaseBoard", {TemperatureRows::shownValue("78.5")});
    addRow(*hot, NodeType::Temperature, "ConPanel ", {TemperatureRows::shownValue("69.9")});
    addSlot(*enclosure, 5);
    addRow(*enclosure, NodeType::Property, "Fan", {"ERROR: stalled"});
    // A title names the board as the tree does, without the warning its caption carries.
    EXPECT_EQ(ProblemList::title(*old), "Enclosure 0, slot 2:  QA-4008.BNC");
    EXPECT_EQ(lines(ProblemList::of(root)),
              (std::vector<std::string>{"firmware-old | 0/2  QA-4008.BNC 10A80001 | firmware older than the release",
                                        "eeprom-unreadable | 0/5  E2PROM-ERROR | EEPROM cannot be read",
                                        "temperature-high | 0/6  QD-5064-ISO | temperature high: BaseBoard 78.5degC "
                                        "(limit 70degC)",
                                        "warning |  | Fan:   ERROR: stalled"}));
}

TEST(ProblemListTest, ANodeThatCannotBeReadSaysWhy)
{
    RootNode root(SystemKind::Remote);
    EnclosureNode* enclosure = addEnclosure(root, "QORINet QN-N6", 0, 8);
    ModelNode* slot = addRow(*enclosure, NodeType::SlotState, "Slot 3", {"QA-4016"});
    addRow(*slot, NodeType::Property, "SerialNumber", {"5A20AA01"});
    addRow(*slot, NodeType::Temperature, "BaseBoard", {TemperatureRows::shownValue("71")});
    addRow(root, NodeType::CommunicationProblem, "Communication problem", {"possible IP mismatch"});
    addRow(root, NodeType::CommunicationProblem, "Failure", {"no answer within 1 s (700008)"});
    EXPECT_EQ(lines(ProblemList::of(root)),
              (std::vector<std::string>{"temperature-high | 0/3  QA-4016 5A20AA01 | temperature high: BaseBoard 71degC "
                                        "(limit 70degC)",
                                        "node-unreadable |  | node cannot be read: no answer within 1 s (700008)"}));
    // What to do follows from the failure's code.
    EXPECT_EQ(ProblemList::of(root).back().todo, "check that it is on and reachable, then choose it again");
}

} // namespace
} // namespace z2e
