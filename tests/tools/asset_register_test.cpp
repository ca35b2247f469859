// The asset register: its schema, places and firmware over time, journal lines recorded once,
// the same history from a rebuild, damaged or planted files, and two writers at once.
#include "tools_fixture.h"

#include "tools/asset_register.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <thread>

namespace z2e {
namespace {

using namespace testing_tools;

// Every field of a history, one line per record, so that two compare with a readable difference.
std::string describe(const AssetHistory& history)
{
    std::ostringstream out;
    const AssetBoard& board = history.board;
    out << history.found << " " << board.serial << " " << board.model << " " << board.firstSeen << " " << board.lastSeen
        << " last " << board.lastPlace.system << " " << board.lastPlace.enclosure << "/" << board.lastPlace.slot << " "
        << board.lastPlace.lastSeen << "\n";
    for (const AssetPlace& p : history.places)
        out << "place " << p.system << " " << p.enclosure << "/" << p.slot << " " << p.firstSeen << ".." << p.lastSeen
            << "\n";
    for (const AssetFirmware& f : history.firmware)
        out << "firmware " << f.version << " " << f.firstSeen << ".." << f.lastSeen << "\n";
    for (const AssetCalibration& c : history.calibrations)
        out << "calibration " << c.date << " " << c.firstSeen << "\n";
    for (const AssetEvent& e : history.events)
        out << "event " << e.time << " " << e.node << " " << e.place << " " << e.operation << " " << e.result << " "
            << e.status << " " << e.verification << " " << e.firmwareBefore << ">" << e.firmwareAfter << " "
            << e.resultDocument << "\n";
    return out.str();
}

std::string at(int hour)
{
    char text[32];
    std::snprintf(text, sizeof text, "2026-03-01T%02d:00:00.000Z", hour);
    return text;
}

AssetSighting seen(int hour, const std::string& system, std::int32_t enclosure, std::uint32_t slot)
{
    return {at(hour), "10A80001", "QA-4008.BNC", system, enclosure, slot, "0100", "2025-01-02"};
}

// A board line of the journal of `node`, as the tools write it.
std::string lineOf(const std::string& node, int hour, const std::string& serial, std::uint32_t slot,
                   const std::string& operation, const std::string& before = "", const std::string& after = "")
{
    JournalEntry entry = entryOf(serial, operation);
    entry.time = at(hour);
    entry.model = "QA-4016";
    entry.boardEnclosure = 0;
    entry.slot = slot;
    entry.firmwareBefore = before;
    entry.firmwareAfter = after;
    entry.statusText = "PASSED";
    return MaintenanceJournal("", node).line(entry);
}

class AssetRegisterTest : public ::testing::Test {
protected:
    std::string documents() const { return m_dir.path(); }
    std::string maintenance() const { return m_dir / "maintenance"; }
    std::string file() const { return m_dir / AssetRegister::kFileName; }

    AssetHistory historyOf(AssetRegister& assets, const std::string& serial)
    {
        AssetHistory history;
        EXPECT_TRUE(assets.history(serial, history)) << assets.lastError();
        return history;
    }

    /// A database at `file()` of schema `schema` with a table of its own.
    void plantDatabase(int schema)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
        const std::string sql = "CREATE TABLE mine(x); PRAGMA user_version=" + std::to_string(schema);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    test::ScratchFolder m_dir{"z2e-assets"};
};

TEST_F(AssetRegisterTest, AnOlderSchemaIsMigratedAndANewerOneRefusedUntouched)
{
    plantDatabase(0);
    {
        AssetRegister assets(documents());
        ASSERT_TRUE(assets.open()) << assets.lastError();
        ASSERT_TRUE(assets.recordSightings({seen(1, "local", 0, 2)})) << assets.lastError();
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "SELECT x FROM mine", nullptr, nullptr, nullptr), SQLITE_OK); // not replaced
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA user_version=9", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    const std::string before = test::readFile(file());
    AssetRegister newer(documents());
    EXPECT_FALSE(newer.open());
    EXPECT_TRUE(holds(newer.lastError(), "was written by a newer ZAMO2Explorer (schema 9); this one knows 3"));
    AssetHistory history;
    EXPECT_FALSE(newer.history("10A80001", history));
    EXPECT_FALSE(newer.recordSightings({seen(2, "local", 0, 2)}));
    EXPECT_EQ(test::readFile(file()), before);
    EXPECT_FALSE(fs::exists(file() + "-wal"));

    // No program writes a schema below 0: such a file is put aside.
    fs::remove(file());
    plantDatabase(-3);
    AssetRegister foreign(documents());
    ASSERT_TRUE(foreign.open()) << foreign.lastError();
    EXPECT_TRUE(holds(foreign.notice(), "was damaged (schema -3, which no ZAMO2Explorer writes)"));
}

// Another program's long write holds the register: it is still read, and the lines it could
// not take in yet are said.
TEST_F(AssetRegisterTest, ARegisterHeldByAnotherWriterIsStillRead)
{
    {
        AssetRegister assets(documents());
        ASSERT_TRUE(assets.open()) << assets.lastError();
        ASSERT_TRUE(assets.recordSightings({seen(1, "local", 0, 2)})) << assets.lastError();
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    AssetRegister assets(documents());
    EXPECT_TRUE(assets.open()) << assets.lastError();
    EXPECT_TRUE(holds(assets.notice(), "database is locked - the asset register answers with what it held"))
        << assets.notice();
    EXPECT_EQ(historyOf(assets, "10A80001").board.lastSeen, at(1));
    sqlite3_close(other);
}

TEST_F(AssetRegisterTest, ABoardSeenInTwoPlacesInTurnHasAPlaceForEachStay)
{
    AssetRegister assets(documents());
    ASSERT_TRUE(assets.open()) << assets.lastError();
    AssetSighting updated = seen(3, "127.0.0.2 north", 1, 4);
    updated.firmware = "0200";
    updated.serial = "10a80001"; // a serial matches in any case
    ASSERT_TRUE(assets.recordSightings({seen(1, "local", 0, 2), seen(2, "local", 0, 2)}));
    ASSERT_TRUE(assets.recordSightings({updated}));
    // Recorded late, it still belongs before the move; a read recorded twice changes nothing.
    ASSERT_TRUE(assets.recordSightings({seen(5, "local", 0, 2), seen(0, "local", 0, 2)}));
    ASSERT_TRUE(assets.recordSightings({seen(5, "local", 0, 2)}));
    EXPECT_EQ(describe(historyOf(assets, "10A80001")),
              "1 10A80001 QA-4008.BNC " + at(0) + " " + at(5) + " last local 0/2 " + at(5) + "\n" + //
                  "place local 0/2 " + at(0) + ".." + at(2) + "\n" +                                //
                  "place 127.0.0.2 north 1/4 " + at(3) + ".." + at(3) + "\n" +                      //
                  "place local 0/2 " + at(5) + ".." + at(5) + "\n" +                                //
                  "firmware 0100 " + at(0) + ".." + at(2) + "\n" +                                  //
                  "firmware 0200 " + at(3) + ".." + at(3) + "\n" +                                  //
                  "firmware 0100 " + at(5) + ".." + at(5) + "\n" +                                  //
                  "calibration 2025-01-02 " + at(0) + "\n");
    std::vector<AssetBoard> boards;
    ASSERT_TRUE(assets.boards(boards));
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].lastPlace.system + " " + boards[0].lastPlace.lastSeen, "local " + at(5));
    EXPECT_FALSE(historyOf(assets, "10A80002").found);
}

// Two programs may record out of turn; the same lines again, in any turn, change nothing.
TEST_F(AssetRegisterTest, AJournalLineRecordedAgainChangesNothing)
{
    JournalEntry enclosure = entryOf("00B1E110", "enclosure-write");
    enclosure.enclosure = 0;
    enclosure.time = at(4);
    const std::vector<std::string> lines = {lineOf("local", 1, "10A80001", 2, "selftest"),
                                            lineOf("127.0.0.2 north", 2, "10A80001", 5, "firmware-update", "01", "02"),
                                            lineOf("local", 3, "10A80001", 2, "calibrate"),
                                            MaintenanceJournal("", "local").line(enclosure)};
    AssetRegister assets(documents());
    ASSERT_TRUE(assets.open()) << assets.lastError();
    ASSERT_TRUE(assets.recordJournalLines({lines[0], lines[2], lines[1], lines[3]})) << assets.lastError();
    const std::string once = describe(historyOf(assets, "10A80001"));
    EXPECT_TRUE(holds(once, "event " + at(2) + " 127.0.0.2 north 0/5 firmware-update 0 PASSED  01>02"));
    EXPECT_TRUE(holds(once, "place local 0/2 " + at(1) + ".." + at(3) + "\nplace 127.0.0.2 north 0/5 " + at(2)));
    ASSERT_TRUE(assets.recordJournalLines(lines));
    EXPECT_EQ(describe(historyOf(assets, "10A80001")), once);
    // An enclosure's line is no board.
    std::vector<AssetBoard> boards;
    ASSERT_TRUE(assets.boards(boards));
    EXPECT_EQ(boards.size(), 1u);
}

// What the tools record as they run is what a rebuild from their journal makes, and a
// register that is missing (as after an update) is made from the journal by itself.
TEST_F(AssetRegisterTest, ARebuildFromTheJournalGivesTheSameHistory)
{
    MaintenanceJournal local(maintenance(), "local");
    MaintenanceJournal north(maintenance(), "127.0.0.2 north");
    ASSERT_TRUE(local.appendLines({lineOf("local", 1, "10A80001", 2, "selftest")}));
    ASSERT_TRUE(north.appendLines({lineOf("127.0.0.2 north", 2, "10a80001", 3, "firmware-update", "01", "02"),
                                   lineOf("127.0.0.2 north", 2, "10A80002", 4, "selftest")}));
    ASSERT_TRUE(local.appendLines({lineOf("local", 4, "10A80001", 2, "calibrate")}));
    AssetRegister assets(documents());
    ASSERT_TRUE(assets.open()) << assets.lastError();
    const std::string first = describe(historyOf(assets, "10A80001"));
    const std::string second = describe(historyOf(assets, "10A80002"));
    EXPECT_TRUE(holds(first, "event " + at(4) + " local 0/2 calibrate"));

    // A rebuild knows what the journal says, and no more.
    ASSERT_TRUE(assets.recordSightings({{at(3), "10A80003", "QA", "local", 0, 9, "", ""}}));
    ASSERT_TRUE(assets.rebuild(maintenance())) << assets.lastError();
    EXPECT_EQ(assets.lastRebuild().lines, 4u);
    EXPECT_FALSE(historyOf(assets, "10A80003").found);
    EXPECT_EQ(describe(historyOf(assets, "10A80001")), first);
    EXPECT_EQ(describe(historyOf(assets, "10A80002")), second);
    // The rebuild took the place of the content, not of the file another connection has open.
    ASSERT_TRUE(local.appendLines({lineOf("local", 5, "10A80002", 7, "selftest")}));
    AssetRegister other(documents());
    ASSERT_TRUE(other.open()) << other.lastError();
    EXPECT_TRUE(holds(describe(historyOf(assets, "10A80002")), "place local 0/7 " + at(5)));

    fs::remove(file());
    AssetRegister made(documents());
    ASSERT_TRUE(made.open()) << made.lastError();
    EXPECT_EQ(describe(historyOf(made, "10A80001")), first);
}

// Tools only append to the journal; each opening records what came since, never a line still
// being written, and a history file replaced by another is read from its start.
TEST_F(AssetRegisterTest, OpeningRecordsTheJournalLinesAppendedSince)
{
    MaintenanceJournal journal(maintenance(), "local");
    ASSERT_TRUE(journal.appendLines({lineOf("local", 1, "10A80001", 2, "selftest")}));
    const auto opened = [this] {
        auto assets = std::make_unique<AssetRegister>(documents());
        EXPECT_TRUE(assets->open()) << assets->lastError();
        return assets;
    };
    EXPECT_TRUE(historyOf(*opened(), "10A80001").found);

    const std::string torn = lineOf("local", 3, "10A80003", 4, "selftest");
    ASSERT_TRUE(journal.appendLines({lineOf("local", 2, "10A80002", 3, "selftest")}));
    {
        std::ofstream history(maintenance() + "/history.jsonl", std::ios::app | std::ios::binary);
        history << torn.substr(0, 40);
    }
    auto assets = opened();
    EXPECT_EQ(assets->lastRebuild().lines, 1u); // only what came since
    EXPECT_TRUE(historyOf(*assets, "10A80002").found);
    EXPECT_FALSE(historyOf(*assets, "10A80003").found);
    {
        std::ofstream history(maintenance() + "/history.jsonl", std::ios::app | std::ios::binary);
        history << torn.substr(40) << "\n";
    }
    EXPECT_TRUE(historyOf(*opened(), "10A80003").found);
    EXPECT_EQ(historyOf(*opened(), "10A80001").events.size(), 1u);

    // Longer than what was read of the old one: only its identity tells it apart.
    const std::string replaced = maintenance() + "/history.new";
    std::string lines = lineOf("local", 4, "10A80004", 5, "selftest") + "\n";
    for (int hour = 5; hour < 12; ++hour)
        lines += lineOf("local", hour, "10A8000A", 6, "selftest") + "\n";
    test::writeFile(replaced, lines);
    fs::rename(replaced, maintenance() + "/history.jsonl");
    EXPECT_TRUE(historyOf(*opened(), "10A80004").found);
}

TEST_F(AssetRegisterTest, ADamagedFileIsMovedAsideAndAPlantedOneRefused)
{
    ASSERT_TRUE(
        MaintenanceJournal(maintenance(), "local").appendLines({lineOf("local", 1, "10A80001", 2, "selftest")}));
    ASSERT_TRUE(AssetRegister(documents()).open());
    const std::string whole = test::readFile(file());
    ASSERT_GT(whole.size(), 5000u);
    const std::string damages[] = {std::string(8192, '\x5a'), whole.substr(0, 5000), ""};
    for (const std::string& damage : damages) {
        test::writeFile(file(), damage);
        AssetRegister assets(documents());
        ASSERT_TRUE(assets.open()) << assets.lastError();
        EXPECT_TRUE(holds(assets.notice(), "was damaged (")) << damage.size();
        EXPECT_TRUE(historyOf(assets, "10a80001").found) << damage.size();
    }
    std::size_t aside = 0;
    for (const auto& entry : fs::directory_iterator(documents()))
        aside += entry.path().filename().string().rfind("assets.sqlite.damaged-", 0) == 0 ? 1 : 0;
    EXPECT_EQ(aside, 3u);

    fs::remove(file());
    test::writeFile(m_dir / "elsewhere", "kept");
    const std::function<void()> plants[] = {
        [&] { fs::create_symlink(m_dir / "elsewhere", file()); },
        [&] { ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0); },
        [&] { fs::create_directory(file()); },
    };
    for (const auto& plant : plants) {
        plant();
        AssetRegister assets(documents());
        EXPECT_FALSE(assets.open());
        EXPECT_TRUE(holds(assets.lastError(), "is not a file of the asset register"));
        // The journal goes on without the register.
        EXPECT_TRUE(MaintenanceJournal(maintenance(), "local").appendLines({lineOf("local", 2, "10A80001", 2, "x")}));
        fs::remove(file());
    }
    EXPECT_EQ(test::readFile(m_dir / "elsewhere"), "kept");

    // A link on the way to the folder is the operator's: followed.
    fs::create_directory_symlink(documents(), m_dir / "via");
    AssetRegister through(m_dir / "via");
    ASSERT_TRUE(through.open()) << through.lastError();
    EXPECT_TRUE(historyOf(through, "10A80001").found);
}

TEST_F(AssetRegisterTest, TwoConnectionsWritingAtOnceBothLand)
{
    constexpr int kEach = 40;
    const auto write = [this](char first, bool& ok) {
        AssetRegister assets(documents());
        ok = assets.open();
        for (int i = 0; ok && i < kEach; ++i)
            ok = assets.recordSightings({{"", std::string(1, first) + std::to_string(i), "QA", "local", 0, 2, "", ""}});
    };
    bool a = false;
    bool b = false;
    std::thread other(write, 'A', std::ref(a));
    write('B', b);
    other.join();
    EXPECT_TRUE(a && b);
    AssetRegister assets(documents());
    std::vector<AssetBoard> boards;
    ASSERT_TRUE(assets.open() && assets.boards(boards));
    EXPECT_EQ(boards.size(), 2u * kEach);
}

} // namespace
} // namespace z2e
