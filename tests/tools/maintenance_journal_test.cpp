#include "tools_fixture.h"

#include "tools/board_test_procedure.h"
#include "tools/change_intent.h"
#include "tools/journal_line_reader.h"
#include "tools/maintenance_journal.h"
#include "driver/command/app_status.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;

class MaintenanceJournalTest : public ToolsTest {};

TEST_F(MaintenanceJournalTest, SnapshotHoldsTheEepromsAsTheyWereBeforeTheChange)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001"));
    const std::string base = eeprom(0);
    const std::string con = eeprom(0, false);
    MaintenanceJournal journal(maintenance(), "local");
    const BoardTestOutcome outcome = BoardTestProcedure(wrapper, &journal).run(BoardTest::AutoZero, {}, nullptr, kGo);
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    EXPECT_EQ(outcome.rows[0].status, " PASSED");

    const auto& files = outcome.rows[0].snapshots;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(fs::path(files[0]).parent_path(), fs::path(maintenance()) / "10A80001");
    EXPECT_NE(files[0].find("_autozero_base.xml"), std::string::npos);
    EXPECT_EQ(test::readFile(files[0]), base + "\n");
    EXPECT_EQ(test::readFile(files[1]), con + "\n");
    EXPECT_NE(eeprom(0), base); // the auto zero wrote new offsets

    const auto lines = journal.history("10A80001");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(journal.resultDocument(lines[0], 1 << 20), outcome.rows[0].document);
    for (const std::string& part :
         {std::string("\"node\":\"local\",\"board\":0,\"slot\":2,\"place\":\"0/2\",\"model\":\"QA-4008.BNC\""),
          std::string("\"operation\":\"autozero\",\"parameters\":\"200 ms\""), std::string("\"status\":\"PASSED\""),
          fs::path(files[1]).filename().string()})
        EXPECT_TRUE(holds(lines[0], part));
}

TEST_F(MaintenanceJournalTest, AppendNeverLeavesHalfALine)
{
    MaintenanceJournal journal(maintenance(), "127.0.0.1 bench");
    JournalEntry entry = entryOf("10A80001", "selftest");
    entry.statusText = "quote \" and\nline";
    ASSERT_TRUE(journal.append(entry));
    const fs::path history = fs::path(maintenance()) / "history.jsonl";
    const auto size = fs::file_size(history);

    // A file size limit just past the end stands in for a full disk.
    bool appended = true;
    ASSERT_TRUE(test::underFileSizeLimit(size + 20, [&] { appended = journal.append(entry); }));

    EXPECT_FALSE(appended);
    EXPECT_TRUE(holds(journal.lastError(), "history.jsonl"));
    EXPECT_EQ(fs::file_size(history), size);
    const auto lines = journal.history("10A80001");
    EXPECT_EQ(fieldOf(lines, "status"), Strings{entry.statusText});
    EXPECT_EQ(fieldOf(lines, "node"), Strings{"127.0.0.1 bench"});
    EXPECT_EQ(fieldOf(lines, "slot"), Strings{"null"});
    EXPECT_EQ(lines.at(0).back(), '}');
}

// A procedure's lines go in one write: where the disk fills part way, the whole lines stay.
TEST_F(MaintenanceJournalTest, LinesOfAProcedureCutShortKeepTheirWholeLines)
{
    MaintenanceJournal journal(maintenance(), "local");
    ASSERT_TRUE(journal.append(entryOf("10A80001", "selftest")));
    const fs::path history = fs::path(maintenance()) / "history.jsonl";
    const auto one = fs::file_size(history);

    bool appended = true;
    ASSERT_TRUE(test::underFileSizeLimit(2 * one + one / 2, [&] {
        appended = journal.append({entryOf("10A80002", "selftest"), entryOf("10A80003", "selftest")});
    }));

    EXPECT_FALSE(appended);
    EXPECT_EQ(fs::file_size(history), 2 * one);
    EXPECT_EQ(fieldOf(journal.history(""), "serial"), (Strings{"10A80001", "10A80002"}));
}

// Result documents of two programs go to one file: each line gets its own document back, and
// an offset that no longer holds the line's board gives nothing rather than another's.
TEST_F(MaintenanceJournalTest, ResultDocumentsAreAppendedAndReadBackByTheirLines)
{
    MaintenanceJournal first(maintenance(), "local");
    MaintenanceJournal second(maintenance(), "127.0.0.2 north");
    const std::string a = "<HardwareCheck><BoardId0 Passed=\"true\"/></HardwareCheck>";
    const std::string b = "<HardwareCheck>\n{\"serial\":\"10A80001\"}\n</HardwareCheck>";
    std::string refA;
    std::string refB;
    ASSERT_TRUE(first.keepResults("selftest", {{"10A80001", &a, &refA}})) << first.lastError();
    ASSERT_TRUE(second.keepResults("selftest", {{"10A80002", &b, &refB}, {"10A80003", &a, nullptr}}));
    EXPECT_EQ(refA, "results.log@0");
    JournalEntry lineA = entryOf("10A80001", "selftest");
    lineA.resultDocument = refA;
    JournalEntry lineB = entryOf("10A80002", "selftest");
    lineB.resultDocument = refB;
    EXPECT_EQ(first.resultDocument(first.line(lineA), 1 << 20), a);
    EXPECT_EQ(first.resultDocument(second.line(lineB), 1 << 20), b);
    EXPECT_EQ(first.resultDocument(second.line(lineB), 12), b.substr(0, 12));
    lineB.serial = "10A80001"; // another board's line at that offset
    EXPECT_EQ(first.resultDocument(first.line(lineB), 1 << 20), "");

    // Older lines name a file in the board's folder.
    fs::create_directories(maintenance() + "/10A80001");
    test::writeFile(maintenance() + "/10A80001/old_selftest_result.xml", "<old/>\n");
    lineA.resultDocument = "old_selftest_result.xml";
    EXPECT_EQ(first.resultDocument(first.line(lineA), 1 << 20), "<old/>\n");
    lineA.resultDocument = "../history.jsonl";
    EXPECT_EQ(first.resultDocument(first.line(lineA), 1 << 20), "");

    // A full disk leaves the file as it was.
    const auto size = fs::file_size(fs::path(maintenance()) / "results.log");
    bool kept = true;
    ASSERT_TRUE(test::underFileSizeLimit(size + 20, [&] {
        kept = first.keepResults("selftest", {{"10A80004", &a, &refA}});
    }));
    EXPECT_FALSE(kept);
    EXPECT_TRUE(holds(first.lastError(), "results.log"));
    EXPECT_EQ(fs::file_size(fs::path(maintenance()) / "results.log"), size);
}

// A link or FIFO planted as results.log is neither written through nor waited on.
TEST_F(MaintenanceJournalTest, APlantedResultsFileIsRefused)
{
    fs::create_directories(maintenance());
    test::writeFile(m_site / "victim.xml", "not the journal's");
    fs::create_symlink(m_site / "victim.xml", fs::path(maintenance()) / "results.log");
    MaintenanceJournal journal(maintenance(), "local");
    const std::string document = "<HardwareCheck/>";
    std::string reference;
    EXPECT_FALSE(journal.keepResults("selftest", {{"10A80001", &document, &reference}}));
    EXPECT_TRUE(holds(journal.lastError(), "results.log is a symbolic link")) << journal.lastError();
    EXPECT_TRUE(reference.empty());
    EXPECT_EQ(test::readFile(m_site / "victim.xml"), "not the journal's");
    JournalEntry line = entryOf("10A80001", "selftest");
    line.resultDocument = "results.log@0";
    EXPECT_EQ(journal.resultDocument(journal.line(line), 1 << 20), "");

    fs::remove(fs::path(maintenance()) / "results.log");
    ASSERT_EQ(::mkfifo((fs::path(maintenance()) / "results.log").c_str(), 0600), 0);
    EXPECT_FALSE(journal.keepResults("selftest", {{"10A80001", &document, &reference}}));
    EXPECT_EQ(journal.resultDocument(journal.line(line), 1 << 20), "");

    // Planted after the documents were kept and before their sync beside the lines: the
    // lines are written, but the run is not reported as kept.
    fs::remove(fs::path(maintenance()) / "results.log");
    ASSERT_TRUE(journal.keepResults("selftest", {{"10A80001", &document, &reference}})) << journal.lastError();
    fs::rename(fs::path(maintenance()) / "results.log", m_site / "moved.log");
    fs::create_symlink(m_site / "victim.xml", fs::path(maintenance()) / "results.log");
    EXPECT_FALSE(journal.append(entryOf("10A80001", "selftest")));
    EXPECT_TRUE(holds(journal.lastError(), "results.log is a symbolic link")) << journal.lastError();
    EXPECT_TRUE(holds(test::readFile(fs::path(maintenance()) / "history.jsonl"), "\"serial\":\"10A80001\""));
}

// A FIFO planted as the history would take the lines and keep them nowhere, or stop the run
// once its buffer is full. A planted history is said, not read as an empty journal.
TEST_F(MaintenanceJournalTest, APlantedHistoryIsNeitherWrittenNorTakenForEmpty)
{
    const fs::path history = fs::path(maintenance()) / "history.jsonl";
    fs::create_directories(maintenance());
    ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0);
    MaintenanceJournal journal(maintenance(), "local");
    EXPECT_FALSE(journal.append(entryOf("10A80001", "selftest")));
    EXPECT_TRUE(holds(journal.lastError(), "history.jsonl is not a plain file")) << journal.lastError();
    EXPECT_TRUE(holds(journal.read("").error, "history.jsonl is not a plain file"));

    fs::remove(history);
    test::writeFile(m_site / "other.jsonl", "{\"serial\":\"10A80001\"}\n");
    fs::create_symlink(m_site / "other.jsonl", history);
    const JournalHistory read = journal.read("");
    EXPECT_TRUE(read.lines.empty());
    EXPECT_TRUE(holds(read.error, "history.jsonl is not a plain file")) << read.error;
    fs::remove(history);
    EXPECT_EQ(journal.read("").error, "");
}

TEST_F(MaintenanceJournalTest, LastResultIsThatOfTheSameBoardOperationAndNode)
{
    MaintenanceJournal here(maintenance(), "local");
    MaintenanceJournal there(maintenance(), "127.0.0.2 north");
    ASSERT_TRUE(here.append(entryOf("10A80008", "firmware-update", 3002)));
    ASSERT_TRUE(there.append(entryOf("10A80008", "firmware-update", 3000)));
    ASSERT_TRUE(here.append(entryOf("10A80008", "selftest")));
    std::int32_t last = 0;
    ASSERT_TRUE(here.lastResult("10A80008", "firmware-update", last));
    EXPECT_EQ(last, 3002);
    EXPECT_FALSE(here.lastResult("10A80001", "firmware-update", last));
}

/// Runs `body` in a child process; whether it ended with status 0.
bool inChild(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

JournalEntry restoreOf(const std::string& serial)
{
    JournalEntry entry = entryOf(serial, "eeprom-restore");
    entry.board = 2;
    entry.parameters = "base from b.xml";
    return entry;
}

// A process killed during a change (kill -9: no handler runs) leaves its intent; the next start
// finds that its process has gone and journals the change as interrupted, once.
TEST_F(MaintenanceJournalTest, ChangeOfAKilledProcessIsJournalledInterruptedAtTheNextStart)
{
    MaintenanceJournal journal(maintenance(), "local");
    ASSERT_TRUE(inChild([&] {
        ChangeIntent intent;
        std::string error;
        return intent.begin(&journal, restoreOf("10A80001"), error);
    }));
    ASSERT_EQ(test::filesIn(maintenance() + "/intents").size(), 1u);
    EXPECT_TRUE(journal.history("").empty());

    // This process's own pending change is alive: it is left alone.
    ChangeIntent mine;
    std::string error;
    ASSERT_TRUE(mine.begin(&journal, restoreOf("10A80002"), error)) << error;
    EXPECT_EQ(ChangeIntent::recover(journal), 1u);
    EXPECT_EQ(ChangeIntent::recover(journal), 0u);
    const auto lines = journal.history("");
    EXPECT_EQ(fieldOf(lines, "serial"), Strings{"10A80001"});
    EXPECT_EQ(fieldOf(lines, "result"), Strings{"4110"});
    EXPECT_EQ(fieldOf(lines, "verification"), Strings{"interrupted"});
    EXPECT_EQ(fieldOf(lines, "status").at(0).rfind("interrupted: eeprom-restore was started", 0), 0u) << lines[0];
    mine.end();
    EXPECT_TRUE(test::filesIn(maintenance() + "/intents").empty());
}

// Ctrl+C and --timeout end zamo2ctl at once: the handler journals the change under way itself.
TEST_F(MaintenanceJournalTest, SignalHandlerJournalsThePendingChangeAndAFinishedOneIsNotInterrupted)
{
    MaintenanceJournal journal(maintenance(), "127.0.0.2 north");
    ChangeIntent::interruptNow(); // nothing pending: nothing written
    EXPECT_TRUE(journal.history("").empty());
    {
        // Changes of several nodes under way at once are each journalled; one that ended is not.
        ChangeIntent intent;
        ChangeIntent other;
        ChangeIntent ended;
        std::string error;
        ASSERT_TRUE(intent.begin(&journal, restoreOf("10A80001"), error)) << error;
        ASSERT_TRUE(ended.begin(&journal, restoreOf("10A80004"), error)) << error;
        ASSERT_TRUE(other.begin(&journal, restoreOf("10A80002"), error)) << error;
        ended.end();
        ChangeIntent::interruptNow();
        ChangeIntent::interruptNow();
    }
    EXPECT_EQ(fieldOf(journal.history("10A80001"), "node"), Strings{"127.0.0.2 north"});
    EXPECT_EQ(fieldOf(journal.history("10A80001"), "verification"), Strings{"interrupted"});
    EXPECT_EQ(fieldOf(journal.history("10A80002"), "verification"), Strings{"interrupted"});
    EXPECT_TRUE(journal.history("10A80004").empty());
    EXPECT_TRUE(test::filesIn(maintenance() + "/intents").empty());

    // A change whose own line was written before its process died is not interrupted.
    ASSERT_TRUE(inChild([&] {
        ChangeIntent intent;
        std::string error;
        JournalEntry entry = restoreOf("10A80003");
        const bool begun = intent.begin(&journal, entry, error);
        entry.verification = "verified";
        return begun && journal.append(entry);
    }));
    EXPECT_EQ(ChangeIntent::recover(journal), 0u);
    EXPECT_EQ(fieldOf(journal.history("10A80003"), "verification"), Strings{"verified"});
    EXPECT_TRUE(test::filesIn(maintenance() + "/intents").empty());
}

// Two journals (two processes) taking snapshots of one board in one millisecond: names apart,
// none replaced, and a link planted under a name the program would take is never written
// through.
TEST_F(MaintenanceJournalTest, SnapshotsOfOneMillisecondGetNamesApartAndNeverFollowAPlantedLink)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001"));
    const BoardIdentity board = BoardIdentity::read(wrapper, 0);
    const std::string base = eeprom(0);
    const auto sameMillisecond = [] { return std::string("2026-01-01T00-00-00.000Z"); };
    MaintenanceJournal first(maintenance(), "local");
    MaintenanceJournal second(maintenance(), "local");
    first.setFileClock(sameMillisecond);
    second.setFileClock(sameMillisecond);
    const fs::path folder = fs::path(maintenance()) / "10A80001";
    fs::create_directories(folder);
    test::writeFile(m_site / "victim.xml", "not the journal's");
    fs::create_symlink(m_site / "victim.xml", folder / "2026-01-01T00-00-00.000Z_autozero_base.xml");
    // Where only the second name of the pair is taken, the pair goes under the next name.
    test::writeFile(folder / "2026-01-01T00-00-00.000Z-2_autozero_con.xml", "another's");
    // A temporary file that a killed run left goes with the next snapshot.
    const std::string stale = (folder / ".z2e-tmp-999999999-1-0000abcd").string();
    test::writeFile(stale, "half");

    std::vector<std::string> a;
    std::vector<std::string> b;
    ASSERT_EQ(first.snapshot(wrapper, board, "autozero", a), 0) << first.lastError();
    ASSERT_EQ(second.snapshot(wrapper, board, "autozero", b), 0) << second.lastError();
    const std::string at = (folder / "2026-01-01T00-00-00.000Z").string();
    EXPECT_EQ(a, (Strings{at + "-3_autozero_base.xml", at + "-3_autozero_con.xml"}));
    ASSERT_EQ(b, (Strings{at + "-4_autozero_base.xml", at + "-4_autozero_con.xml"}));
    EXPECT_FALSE(fs::exists(folder / "2026-01-01T00-00-00.000Z-2_autozero_base.xml"));
    EXPECT_EQ(test::readFile(folder / "2026-01-01T00-00-00.000Z-2_autozero_con.xml"), "another's");
    EXPECT_EQ(test::readFile(a[0]), base + "\n");
    EXPECT_EQ(test::readFile(b[0]), base + "\n");
    EXPECT_EQ(test::readFile(m_site / "victim.xml"), "not the journal's");
    EXPECT_TRUE(fs::is_symlink(folder / "2026-01-01T00-00-00.000Z_autozero_base.xml"));
    EXPECT_FALSE(fs::exists(stale));
    std::vector<std::string> enclosure;
    ASSERT_EQ(first.snapshotEnclosure(wrapper, 0, "00B1E116", "enclosure-write", enclosure), 0) << first.lastError();
    ASSERT_EQ(second.snapshotEnclosure(wrapper, 0, "00B1E116", "enclosure-write", enclosure), 0);
    EXPECT_EQ(enclosure.at(0),
              maintenance() + "/enclosure_00B1E116/2026-01-01T00-00-00.000Z-2_enclosure-write_enclosure.xml");
    for (const auto& entry : fs::recursive_directory_iterator(maintenance()))
        EXPECT_EQ(entry.path().filename().string().find(".z2e-tmp"), std::string::npos) << entry.path();
}

TEST_F(MaintenanceJournalTest, ABoardFolderPlantedAsALinkIsNotFollowed)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001"));
    const BoardIdentity board = BoardIdentity::read(wrapper, 0);
    fs::create_directories(maintenance());
    fs::create_directories(m_site / "elsewhere");
    fs::create_symlink(m_site / "elsewhere", fs::path(maintenance()) / "10A80001");
    MaintenanceJournal journal(maintenance(), "local");
    std::vector<std::string> files;
    EXPECT_EQ(journal.snapshot(wrapper, board, "autozero", files), 4009);
    EXPECT_TRUE(holds(journal.lastError(), "10A80001 is not a folder of the journal's own (a symbolic link"));
    EXPECT_TRUE(holds(journal.lastError(), "--no-snapshot")) << "a snapshot not written names the way around it";
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(fs::is_empty(m_site / "elsewhere"));
}

TEST_F(MaintenanceJournalTest, DamagedLinesAreSkippedAndCountedAndNeverGlueTheNextRecord)
{
    MaintenanceJournal journal(maintenance(), "local");
    JournalEntry entry = entryOf("10A80001", "selftest");
    ASSERT_TRUE(journal.append(entry));
    const std::string history = maintenance() + "/history.jsonl";
    {
        std::ofstream file(history, std::ios::app | std::ios::binary);
        file << "garbage\n"
             << "{\"serial\":\"10A80001\",\"status\":\"\xff\xfe\"}\n"
             << "{\"serial\":\"10A80001\",\"operation\":\"huge\"}" << std::string(JournalLineReader::kMaxLineBytes, ' ')
             << "\n"
             << "{\"time\":\"2026-12-06T05:06:39.045Z\",\"serial\":\"10A8"; // torn by kill -9
    }
    entry.serial = "10a80001";
    entry.operation = "autozero";
    ASSERT_TRUE(journal.append(entry));

    // Both records stay whole; the torn one is skipped, not glued to the next.
    const JournalHistory read = journal.read("10A80001");
    EXPECT_EQ(fieldOf(read.lines, "operation"), (Strings{"selftest", "autozero"}));
    EXPECT_EQ(read.damaged, 4u);
    EXPECT_EQ(JournalLineReader::damagedText(read.damaged), "4 damaged lines skipped");
    EXPECT_EQ(JournalLineReader::damagedText(1), "1 damaged line skipped");
    EXPECT_EQ(journal.history("").size(), 2u);
    EXPECT_TRUE(journal.history("10A8000").empty());

    // A record of exactly the longest length is kept; one byte more is damage.
    entry.serial = "10A80009";
    const std::size_t bare = journal.line(entry).size();
    entry.statusText.assign(JournalLineReader::kMaxLineBytes - bare, 'x');
    const std::string longest = journal.line(entry);
    ASSERT_EQ(longest.size(), JournalLineReader::kMaxLineBytes);
    entry.statusText += 'x';
    {
        std::ofstream file(history, std::ios::app | std::ios::binary);
        file << longest << "\n" << journal.line(entry) << "\n";
    }
    const JournalHistory limits = journal.read("10A80009");
    EXPECT_EQ(limits.lines, Strings{longest});
    EXPECT_EQ(limits.damaged, 5u);
}

// Another program's append in progress (here the test's, half written) is waited for, not
// interleaved with.
TEST_F(MaintenanceJournalTest, AppendsOfTwoProgramsTakeTurns)
{
    MaintenanceJournal journal(maintenance(), "local");
    const JournalEntry entry = entryOf("10A80001", "");
    ASSERT_TRUE(journal.append(entry));
    const int fd = ::open((maintenance() + "/history.jsonl").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const std::string first = "{\"serial\":\"10A80001\",";
    ASSERT_EQ(::write(fd, first.data(), first.size()), static_cast<ssize_t>(first.size()));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fd); // the lock belongs to the parent's append alone
        ::_exit(journal.append(entry) ? 0 : 1);
    }
    // Until the child waits for the lock (in flock(2) or asleep between tries), or has ended
    // without waiting.
    bool waiting = false;
    int status = -1;
    for (int i = 0; i < 60000 && !waiting && ::waitpid(child, &status, WNOHANG) == 0; ++i) {
        std::ifstream call("/proc/" + std::to_string(child) + "/syscall");
        std::string number;
        call >> number;
        waiting = number == std::to_string(SYS_flock) || number == std::to_string(SYS_clock_nanosleep);
        if (!waiting)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(waiting) << "the child appended while another append was in progress";
    const std::string rest = "\"operation\":\"other\"}\n";
    ASSERT_EQ(::write(fd, rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
    ::close(fd);
    if (waiting) {
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    EXPECT_EQ(status, 0);
    const JournalHistory read = journal.read("10A80001");
    EXPECT_EQ(read.lines.size(), 3u);
    EXPECT_EQ(read.damaged, 0u);
}

// A program stopped while it holds the history's lock ends this one's wait in words, not never.
TEST_F(MaintenanceJournalTest, AHistoryLockedForLongIsSaidNotWaitedOnForever)
{
    MaintenanceJournal journal(maintenance(), "local");
    ASSERT_TRUE(journal.append(entryOf("10A80001", "selftest")));
    const std::string history = maintenance() + "/history.jsonl";
    const int other = ::open(history.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    EXPECT_FALSE(journal.append(entryOf("10A80002", "selftest")));
    EXPECT_TRUE(holds(journal.lastError(), "history.jsonl stays locked by another program")) << journal.lastError();
    ::close(other);
    ASSERT_TRUE(journal.append(entryOf("10A80003", "selftest"))) << journal.lastError();
    EXPECT_EQ(fieldOf(journal.history(""), "serial"), (Strings{"10A80001", "10A80003"}));
}

TEST_F(MaintenanceJournalTest, OnlyWholeJsonObjectsCountAsRecords)
{
    for (const std::string record : {"{\"a\":1,\"b\":[\"x\",null,-2.5e3],\"c\":{\"d\":true}}", "{}",
                                     "{\"a\":\"\\u00e9\\n\"}", "{\"a\":[[[[[[[[]]]]]]]]}"})
        EXPECT_TRUE(JournalLineReader::isRecord(record)) << record;
    for (const char* damaged :
         {"{\"a\":1", "{\"a\":1}}", "{\"a\":1} x", "[1]", "{\"a\":\"b}", "{\"a\":01x}", "{\"a\":\"\\q\"}",
          "{\"a\":\"\\u12\"}", "{\"a\" 1}", "{\"a\":1,}", "{a:1}", "{\"a\":tru}", "{\"a\":\"\t\"}", ""})
        EXPECT_FALSE(JournalLineReader::isRecord(damaged)) << damaged;
    EXPECT_FALSE(JournalLineReader::isRecord("{\"a\":" + std::string(40, '[') + std::string(40, ']') + "}"));
}

TEST_F(MaintenanceJournalTest, FieldDecodesEscapedCharactersAsUtf8)
{
    const std::string line = "{\"status\":\"caf\\u00e9 \\ud83d\\ude00 \\u0001\",\"result\":4009}";
    EXPECT_EQ(MaintenanceJournal::field(line, "status"), "caf\xc3\xa9 \xf0\x9f\x98\x80 \x01");
    EXPECT_EQ(MaintenanceJournal::field(line, "result"), "4009");
}

// Each text holds one kind of character that must not go into the line as it is.
TEST_F(MaintenanceJournalTest, EveryTextOfALineComesBackAsItWasWritten)
{
    MaintenanceJournal journal("", "node \"7\"");
    JournalEntry entry = entryOf("10A8\\0001", "selftest");
    entry.model = "QA-4008 \xff";
    entry.parameters = "a\x01b";
    entry.statusText = "caf\xc3\xa9 end\x7f";
    entry.verification = "plain";
    const std::string line = journal.line(entry);
    EXPECT_TRUE(JournalLineReader::isRecord(line)) << line;
    EXPECT_EQ(MaintenanceJournal::field(line, "node"), "node \"7\"");
    EXPECT_EQ(MaintenanceJournal::field(line, "serial"), "10A8\\0001");
    EXPECT_EQ(MaintenanceJournal::field(line, "model"), "QA-4008 \xef\xbf\xbd");
    EXPECT_EQ(MaintenanceJournal::field(line, "parameters"), "a\x01b");
    EXPECT_EQ(MaintenanceJournal::field(line, "status"), "caf\xc3\xa9 end\x7f");
    EXPECT_TRUE(holds(line, "\"verification\":\"plain\"")) << line;
}

} // namespace
} // namespace z2e
