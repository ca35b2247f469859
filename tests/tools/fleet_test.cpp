// The fleet table: when calibrations fall due, rows read from a board's documents, the exports
// (a node's name is untrusted), the bounded parallel read, and `zamo2ctl fleet` over this
// computer and network nodes, one of them failing.
#include "tools_fixture.h"

#include "support/net.h"
#include "support/node_sim.h"
#include "tools/fleet_reader.h"
#include "tools/fleet_scan.h"
#include "tools/fleet_table.h"
#include "xpugi/untrusted_parse.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace z2e {
namespace {

using namespace testing_tools;
using test::occurrences;

TEST(CalibrationDue, MonthsAddUpWithTheLastDayKeptAndBadDatesAreUnknown)
{
    EXPECT_EQ(CalibrationDue::dueDate("2023-12-15", 12), "2024-12-15");
    EXPECT_EQ(CalibrationDue::dueDate("2023-11-30", 3), "2024-02-29");
    EXPECT_EQ(CalibrationDue::dueDate("2022-08-31", 18), "2024-02-29");
    EXPECT_EQ(CalibrationDue::dueDate("2023-01-31", 1), "2023-02-28");
    for (const char* bad : {"", "2023-02-30", "2023-13-01", "2023-00-10", "23-01-01", "2023-1-01", "2023-01-0x",
                            "1969-12-31", "2023-01-01T"})
        EXPECT_EQ(CalibrationDue::dueDate(bad, 12), "") << bad;
    EXPECT_EQ(CalibrationDue::dueDate("2023-01-01", 0), "");
    EXPECT_EQ(CalibrationDue::dueDate("9999-06-01", 12), "");

    long days = 0;
    ASSERT_TRUE(CalibrationDue::daysUntil("2024-02-28", "2024-03-01", days));
    EXPECT_EQ(days, 2);
    ASSERT_TRUE(CalibrationDue::daysUntil("2023-12-31", "2024-12-31", days));
    EXPECT_EQ(days, 366);

    using State = CalibrationDue::State;
    EXPECT_EQ(CalibrationDue::state("2024-05-31", "2024-06-01"), State::Overdue);
    EXPECT_EQ(CalibrationDue::state("2024-06-01", "2024-06-01"), State::DueSoon);
    EXPECT_EQ(CalibrationDue::state("2024-07-01", "2024-06-01"), State::DueSoon);
    EXPECT_EQ(CalibrationDue::state("2024-07-02", "2024-06-01"), State::Current);
    EXPECT_EQ(CalibrationDue::state("", "2024-06-01"), State::Unknown);
}

std::string properties(const std::string& baseInfo, const std::string& extra = "")
{
    return "<Properties><SystemInfo><SlotNo>4</SlotNo></SystemInfo><BoardInfo><DisplayName>QA-4016</DisplayName>"
           "<SerialNumber>10A80003</SerialNumber><FWRevision>0251</FWRevision><BaseBoard>" +
           baseInfo + "</BaseBoard><ConPanel><ConPanelTemp Unit=\"degC\">30.5</ConPanelTemp></ConPanel>" + extra +
           "</BoardInfo></Properties>";
}

std::string check(const std::string& installed, const std::string& latest)
{
    return "<FirmwareCheck><InstalledVersion>" + installed + "</InstalledVersion><LatestVersion>" + latest +
           "</LatestVersion></FirmwareCheck>";
}

TEST(FleetReader, ARowHoldsWhatTheDocumentsTellAndWarnsOfWhatIsWrong)
{
    const FleetBoard board = FleetReader::fromDocuments(
        2,
        properties("<BaseBoardTemp Unit=\"degC\">71.5</BaseBoardTemp><BaseCal><Date>2024-03-05</Date></BaseCal>",
                   "<E2PromStatus><BaseE2Prom><Status>OK</Status></BaseE2Prom><ConE2Prom><Status>ERROR_BLANK</Status>"
                   "</ConE2Prom></E2PromStatus>"),
        check("0251", "0254"));
    EXPECT_EQ(board.index, 2);
    EXPECT_EQ(board.slot, 4);
    EXPECT_EQ(board.model, "QA-4016");
    EXPECT_EQ(board.serial, "10A80003");
    EXPECT_EQ(board.firmware, "0251");
    EXPECT_EQ(board.firmwareLatest, "0254");
    EXPECT_EQ(board.calibrationDate, "2024-03-05");
    EXPECT_EQ(board.baseTemperature, "71.5");
    EXPECT_EQ(board.conTemperature, "30.5");
    EXPECT_EQ(board.warnings, (Strings{"connector EEPROM: ERROR_BLANK", "temperature above 70 degC",
                                       "firmware 0251 is older than the release 0254"}));

    // Newer firmware than the release and a cool board: nothing to warn of.
    const FleetBoard newer =
        FleetReader::fromDocuments(0, properties("<BaseBoardTemp>70.0</BaseBoardTemp>"), check("0300", "02F4"));
    EXPECT_TRUE(newer.warnings.empty()) << newer.warnings.front();
    EXPECT_EQ(FleetTable::firmwareAge(newer), 1);
    EXPECT_EQ(FleetTable::firmwareAge(board), -1);

    // Damaged documents leave the row unknown, never half-read.
    for (const char* damaged : {"", "<Properties><BoardInfo><DisplayName>QA", "\xff\xfe<", "<Other/>"}) {
        const FleetBoard unknown = FleetReader::fromDocuments(1, damaged, damaged);
        EXPECT_EQ(unknown.model, "");
        EXPECT_EQ(unknown.slot, -1);
        EXPECT_TRUE(unknown.warnings.empty());
    }
    // So do documents of millions of tiny elements from a node, which would take gigabytes.
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    const FleetBoard crowded =
        FleetReader::fromDocuments(1, properties("", tiny), check("0251", "0254<a>" + tiny + "</a>"));
    EXPECT_EQ(crowded.model + crowded.firmware + crowded.firmwareLatest, "");
    EXPECT_EQ(crowded.slot, -1);
}

FleetBoard sample(const std::string& system, const std::string& calibrated)
{
    FleetBoard board = FleetReader::fromDocuments(0, properties("<BaseCal><Date>" + calibrated + "</Date></BaseCal>"),
                                                  check("0254", "0254"));
    board.system = system;
    board.address = "127.0.0.9";
    board.enclosure = 0;
    return board;
}

TEST(FleetTable, ExportsKeepUntrustedTextsInertAndMarkWhatIsDue)
{
    FleetTable::Options options;
    options.today = "2025-03-01";
    std::vector<FleetBoard> boards = {sample("=HYPERLINK(\"x\")", "2024-02-20"), sample("<b>Bay, 5</b>", "2024-03-20"),
                                      sample("Bay-6", "2024-12-01")};
    boards[2].baseTemperature = "-5.5";
    boards[2].system = "Bay-6 \xc3";

    const std::string csv = FleetTable::toCsv(boards, options);
    EXPECT_EQ(occurrences(csv, "\r\n"), 4u);
    EXPECT_TRUE(holds(csv, "\"'=HYPERLINK(\"\"x\"\")\",127.0.0.9,0/4,"));
    EXPECT_TRUE(holds(csv, "\"<b>Bay, 5</b>\","));
    EXPECT_TRUE(holds(csv, ",-5.5,"));
    EXPECT_TRUE(holds(csv, ",2024-02-20,2025-02-20,overdue,"));
    EXPECT_TRUE(holds(csv, ",2024-03-20,2025-03-20,due soon,"));
    EXPECT_TRUE(holds(csv, ",2024-12-01,2025-12-01,current,"));

    const std::string json = FleetTable::toJson(boards, options);
    EXPECT_TRUE(holds(json, "\"system\":\"Bay-6 \xef\xbf\xbd\""));
    EXPECT_TRUE(holds(json, "\"calibration\":\"overdue\""));

    const std::string html = FleetTable::toHtml(boards, options);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_TRUE(holds(html, "<tr class=\"overdue\"><td>=HYPERLINK(&quot;x&quot;)</td>"));
    EXPECT_TRUE(holds(html, "<tr class=\"soon\"><td>&lt;b&gt;Bay, 5&lt;/b&gt;</td>"));

    EXPECT_TRUE(FleetTable::dueWithin(boards[0], 0, options));
    EXPECT_TRUE(FleetTable::dueWithin(boards[1], 19, options));
    EXPECT_FALSE(FleetTable::dueWithin(boards[1], 18, options));
    options.intervalMonths = 24;
    EXPECT_FALSE(FleetTable::dueWithin(boards[0], 300, options));
}

TEST(FleetScan, NoMoreSystemsAtOnceThanAllowedEachOnceAndCancelStopsTheRest)
{
    std::mutex lock;
    std::condition_variable changed;
    int running = 0;
    int most = 0;
    bool gather = true;
    std::vector<FleetSource> sources;
    for (int s = 0; s < 12; ++s) {
        // The first three wait until all three run at once, so that a fourth would run beside them.
        sources.push_back({"node" + std::to_string(s), "", [&, s](std::vector<FleetBoard>& boards) {
                               std::unique_lock<std::mutex> guard(lock);
                               most = std::max(most, ++running);
                               changed.notify_all();
                               if (gather && s < 3)
                                   changed.wait_for(guard, std::chrono::seconds(10), [&] { return most >= 3; });
                               boards.resize(2);
                               --running;
                               return 0;
                           }});
    }
    std::multiset<std::size_t> done;
    FleetScan::run(sources, 3, [&](std::size_t source, std::int32_t result, std::vector<FleetBoard>& boards) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(boards.size(), 2u);
        done.insert(source);
    });
    EXPECT_EQ(done.size(), 12u);
    EXPECT_EQ(std::set<std::size_t>(done.begin(), done.end()).size(), 12u);
    EXPECT_EQ(most, 3);

    gather = false;
    std::atomic<bool> cancel{false};
    std::size_t ended = 0;
    FleetScan::run(
        sources, 1,
        [&](std::size_t, std::int32_t, std::vector<FleetBoard>&) {
            ++ended;
            cancel = true;
        },
        &cancel);
    EXPECT_EQ(ended, 1u);
}

using Zamo2ctlFleet = Zamo2ctlTest;

// One line per board of this computer and of each node; a node that stops answering is named and
// the rest is listed all the same.
TEST_F(Zamo2ctlFleet, EveryBoardOfEverySystemAndANodeThatFailsIsNamed)
{
    const char* const good = "127.0.0.61";
    const char* const silent = "127.0.0.62";
    const std::uint16_t port = test::freeClientBasePort({good, silent});
    test::NodeSimProcess north;
    ASSERT_TRUE(north.start(good, {"--name", "North"}, port)) << north.output();
    const test::Environment environment = {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"};
    const std::string common = "--base-port " + std::to_string(port) + " --scan-ms 1500 ";

    expectRun(0, "selftest --board 0/2", "", environment);
    const std::string csv = expectRun(0, common + "fleet --csv", "", environment).out;
    EXPECT_EQ(occurrences(csv, "\r\n"), 1u + 8u + 4u) << csv;
    EXPECT_TRUE(holds(csv, "local,,0/2,QA-4008.BNC,10A80001,0251,0254,2023-06-20,2024-06-20,overdue,PASSED,"));
    EXPECT_EQ(occurrences(csv, "North,127.0.0.61,0/"), 4u);

    test::NodeSimProcess never;
    ASSERT_TRUE(never.start(silent, {"--name", "Quiet", "--fault", "never-answer"}, port)) << never.output();
    const test::ProcessResult partial = test::ctl(common + "fleet --json --interval 120", environment);
    EXPECT_EQ(partial.exitCode, 69) << partial.err;
    // The node's own failure is told, and its lost link is not asked for every further board.
    EXPECT_TRUE(holds(partial.err, "the node Quiet at 127.0.0.62 could not be read completely: no answer within"));
    EXPECT_EQ(occurrences(partial.out, "\"system\":\"Quiet\""), 1u) << partial.out;
    EXPECT_EQ(occurrences(partial.out, "\"system\":\"North\""), 4u);
    EXPECT_EQ(occurrences(partial.out, "\"system\":\"local\""), 8u);
    EXPECT_TRUE(holds(partial.out, "\"intervalMonths\":120,"));

    // Ten years between calibrations: nothing of the example is due within a month.
    const std::string due = expectRun(69, common + "fleet --csv --interval 120 --due 30", "", environment).out;
    EXPECT_EQ(occurrences(due, "\r\n"), 1u) << due;
    expectRun(64, "fleet --due 3 --csv --json", "fleet takes one of --json, --csv and --html", environment);
    expectRun(64, "tree --due 3", "--due, --interval and --parallel apply to fleet", environment);
}

// A board that moved from one node to another is in the register at both places, in turn.
TEST_F(Zamo2ctlFleet, ABoardMovedBetweenNodesHasBothPlacesInTheRegister)
{
    const char* const first = "127.0.0.63";
    const char* const second = "127.0.0.64";
    const std::uint16_t port = test::freeClientBasePort({first, second});
    const test::Environment environment = {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"};
    const std::string common = "--base-port " + std::to_string(port) + " --scan-ms 1500 ";
    const std::string traveller = test::boardEntry(0, "QA-4016", 2, "0254", "7E570001");
    const std::string stayer = test::boardEntry(0, "QC-3108-TS", 3, "02F4", "7E570002");
    const auto run = [&](const std::string& onFirst, const std::string& onSecond) {
        test::writeFile(m_site / "first.xml", test::rackHardware(onFirst));
        test::writeFile(m_site / "second.xml", test::rackHardware(onSecond));
        test::NodeSimProcess a;
        test::NodeSimProcess b;
        ASSERT_TRUE(a.start(first, {"--name", "Bay-1", "--hardware", m_site / "first.xml"}, port)) << a.output();
        ASSERT_TRUE(b.start(second, {"--name", "Bay-2", "--hardware", m_site / "second.xml"}, port)) << b.output();
        expectRun(0, common + "fleet --csv", "7E570001", environment);
    };
    ASSERT_NO_FATAL_FAILURE(run(traveller, stayer));
    ASSERT_NO_FATAL_FAILURE(run("", traveller + test::boardEntry(1, "QC-3108-TS", 3, "02F4", "7E570002")));

    const std::string history = expectRun(0, "assets 7e570001", "", environment).out;
    const std::size_t places = history.find("places:");
    const std::size_t before = history.find("127.0.0.63 Bay-1 0/2", places);
    const std::size_t after = history.find("127.0.0.64 Bay-2 0/2", places);
    EXPECT_NE(before, std::string::npos) << history;
    EXPECT_NE(after, std::string::npos) << history;
    EXPECT_LT(before, after) << history;
    EXPECT_TRUE(holds(history, "last place: 127.0.0.64 Bay-2 0/2"));
}

} // namespace
} // namespace z2e
