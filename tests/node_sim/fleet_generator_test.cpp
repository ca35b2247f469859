// The generated fleet: what varies from board to board, and that the seed alone decides it.

#include "node/fleet_generator.h"

#include "product_catalog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace nodesim {
namespace {

constexpr long kToday = 20254; // 2025-06-15
constexpr unsigned kNodes = 300;

TEST(FleetGeneratorTest, CalendarDates)
{
    EXPECT_EQ(FleetGenerator::dateText(0), "1970-01-01");
    EXPECT_EQ(FleetGenerator::dateText(19782), "2024-02-29");
    EXPECT_EQ(FleetGenerator::dateText(kToday), "2025-06-15");
    EXPECT_EQ(FleetGenerator::dateText(kToday - 365), "2024-06-15");
}

TEST(FleetGeneratorTest, BoardsDifferWhereAFleetViewLooks)
{
    const FleetGenerator generator(5, kToday);
    const auto& catalog = zmpxi_sim::ProductCatalog::instance();
    std::set<std::string> serials;
    std::set<std::string> models;
    std::set<std::string> temperatures;
    std::size_t serialCount = 0;
    std::size_t boards = 0;
    std::size_t expanded = 0;
    std::map<std::string, int> firmware;    // latest, behind, newer
    std::map<std::string, int> calibration; // recent, due, overdue
    const std::string dueFrom = FleetGenerator::dateText(kToday - FleetGenerator::kCalibrationIntervalDays + 30);
    const std::string overdueFrom = FleetGenerator::dateText(kToday - FleetGenerator::kCalibrationIntervalDays);
    for (unsigned i = 0; i < kNodes; ++i) {
        const FleetHardware node = generator.node(i);
        ASSERT_FALSE(node.boards.empty());
        EXPECT_EQ(node.enclosures.front().model, "QORINet QN-N6");
        expanded += node.enclosures.size() > 1 ? 1 : 0;
        for (const FleetEnclosure& enclosure : node.enclosures) {
            serials.insert(enclosure.serialNumber);
            ++serialCount;
        }
        for (const FleetBoard& board : node.boards) {
            ++boards;
            serials.insert(board.serialNumber);
            serials.insert(board.conSerialNumber);
            serialCount += 2;
            models.insert(board.model);
            temperatures.insert(board.baseTemp);
            const long installed = std::strtol(board.firmware.c_str(), nullptr, 16);
            const long latest = std::strtol(catalog.latestFirmware(board.model)->version.c_str(), nullptr, 16);
            ++firmware[installed == latest ? "latest" : installed < latest ? "behind" : "newer"];
            ++calibration[board.calDate > dueFrom ? "recent" : board.calDate > overdueFrom ? "due" : "overdue"];
            EXPECT_LT(std::atof(board.baseTemp.c_str()), 70.0) << "no board too hot for its self test";
        }
    }
    EXPECT_EQ(serials.size(), serialCount) << "every serial number once in the fleet";
    EXPECT_EQ(models.size(), catalog.boards().size());
    EXPECT_GT(expanded, kNodes / 10);
    EXPECT_LT(expanded, kNodes / 2);
    EXPECT_GT(temperatures.size(), 100u);
    EXPECT_GT(firmware["latest"], static_cast<int>(boards / 2));
    EXPECT_GT(firmware["behind"], static_cast<int>(boards / 10));
    EXPECT_GT(firmware["newer"], 0);
    EXPECT_LT(firmware["newer"], static_cast<int>(boards / 10));
    EXPECT_GT(calibration["recent"], static_cast<int>(boards / 2));
    EXPECT_GT(calibration["due"], static_cast<int>(boards / 20));
    EXPECT_GT(calibration["overdue"], static_cast<int>(boards / 20));
}

TEST(FleetGeneratorTest, TheSeedDecides)
{
    const FleetGenerator one(5, kToday);
    const FleetGenerator same(5, kToday);
    const FleetGenerator other(6, kToday);
    for (unsigned i : {0u, 7u, 1023u}) {
        EXPECT_EQ(one.node(i).hardwareDocument(), same.node(i).hardwareDocument());
        EXPECT_NE(one.node(i).boards.front().serialNumber, other.node(i).boards.front().serialNumber);
    }
    const std::string document = one.node(0).hardwareDocument();
    EXPECT_NE(document.find("<CalDate>"), std::string::npos);
    EXPECT_EQ(one.node(0).configDocument().find("<CalDate>"), std::string::npos)
        << "the configuration carries no hardware extras";
}

} // namespace
} // namespace nodesim
