#include "tools_fixture.h"

#include "support/net.h"
#include "tools/system_lock.h"

#include <fstream>
#include <sstream>

namespace z2e {
namespace {

using namespace testing_tools;

// Sets the title, clears the screen, the one-byte CSI (as UTF-8 and alone), a carriage return.
const std::string kHostile = "\x1b]0;owned\x07"
                             "\x1b[2J\xc2\x9b"
                             "K\x9b"
                             "2J\r";

// What reaches the terminal is no control but line breaks, and no C1 in either form.
::testing::AssertionResult harmless(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xa0;
        if ((c < 0x20 && c != '\n') || c == 0x7f || c == 0x9b || c1)
            return ::testing::AssertionFailure() << "byte " << int(c) << " at " << i << " of:\n" << text;
    }
    return ::testing::AssertionSuccess();
}

// The example hardware with the hostile text in the serial number of board 0 (whose firmware is
// old: a problem), in the enclosure's user data and in board 2's self test result.
std::string hostileHardware()
{
    std::string hardware = test::readFile(test::simExamplesDir() + "/hardware.xml");
    for (const auto& [plain, planted] : {std::pair<std::string, std::string>{"<SerialNumber>10A80001<", "10A8"},
                                         {"<UserData>Engine test cell 3<", "cell"}}) {
        const std::size_t at = hardware.find(plain);
        if (at == std::string::npos)
            return {};
        const std::size_t text = hardware.find('>', at) + 1;
        hardware.replace(text, hardware.find('<', text) - text, planted + kHostile);
    }
    // Board 2's self test answers with a row of the same.
    const std::string board2 = "<SerialNumber>10A80003</SerialNumber>";
    const std::size_t at = hardware.find(board2);
    if (at == std::string::npos)
        return {};
    return hardware.insert(at + board2.size(),
                           literal("HardwareCheck", "<Results><BoardId0 Passed=\"true\"><Check Target=\"Supply\" "
                                                    "Passed=\"true\"><ID0 Device=\"AI" +
                                                        kHostile +
                                                        "\" Range=\"r\" Passed=\"true\"/></Check>"
                                                        "</BoardId0></Results>"));
}

class Zamo2ctlTerminal : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        const std::string hardware = hostileHardware();
        ASSERT_FALSE(hardware.empty());
        const std::string file = m_site / "hostile.xml";
        test::writeFile(file, hardware);
        m_hardware = std::make_unique<test::EnvOverride>("ZMPXI_SIM_HARDWARE", file);
    }
};

// Serial numbers and user data the driver keeps, and lines of the journal, are shown but
// cannot drive the terminal, in every listing that shows them.
TEST_F(Zamo2ctlTerminal, TheDriversAndTheJournalsTextsAreShownNotRun)
{
    // A journal line as anyone who can write the file may leave it; the register learns it too.
    ASSERT_EQ(ctl("selftest --board 1").exitCode, 65);
    std::ofstream(journalFolder() + "/history.jsonl", std::ios::app)
        << "{\"time\":\"2026-01-02T03:04:05.000Z\",\"node\":\"rig\\u001b]0;owned\\u0007\","
           "\"board\":1,\"slot\":3,\"place\":\"0/3\",\"model\":\"QA\\u001b]0;owned\\u0007\\u009b2J\","
           "\"serial\":\"10A80002\",\"operation\":\"selftest\","
           "\"result\":0,\"status\":\"PASSED\",\"verification\":\"v\\u001b[2J\"}\n";
    ASSERT_EQ(ctl("assets --rebuild").exitCode, 0);
    // Every node's boards, this computer's among them; no node answers on the free port.
    const std::string fleet =
        "selftest --all-nodes --board 0 --scan-ms 200 --base-port " + std::to_string(test::freeClientBasePort());
    for (const char* command :
         {"tree", "selftest --board 0", "selftest --board 2", "firmware check --board 0", "problems",
          "enclosure show 0", "assets", "history --serial 10A80002", "assets 10A80002", fleet.c_str()}) {
        SCOPED_TRACE(command);
        const test::ProcessResult run = ctl(command);
        EXPECT_TRUE(holds(run.out, "?]0;owned?"));
        EXPECT_TRUE(harmless(run.out + run.err));
    }
}

// `text` with the first `element`'s text replaced by `value`; "" when it has none.
std::string withElement(std::string text, const std::string& element, const std::string& value)
{
    const std::size_t at = text.find("<" + element + ">");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + element.size() + 2;
    return text.replace(start, text.find('<', start) - start, value);
}

// The lines zamo2ctl wrote itself (the driver stand-in logs what it read as it is).
std::string ownLines(const std::string& text)
{
    std::string own;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        own += line.rfind("zamo2ctl: ", 0) == 0 ? line + "\n" : "";
    return own;
}

// Names and values of a driver configuration are quoted as text by every command that shows them.
TEST_F(Zamo2ctlTerminal, TheConfigurationsTextsAreShownNotRun)
{
    const std::string original = test::readFile(m_site.configFile());
    const std::string named = withElement(original, "CmdLogFile", "Za" + kHostile + ".log");
    ASSERT_FALSE(named.empty());
    test::writeFile(m_site.configFile(), named);
    const test::ProcessResult logging = ctl("logging show");
    EXPECT_TRUE(holds(logging.out, "Za?]0;owned?"));
    EXPECT_TRUE(harmless(logging.out + ownLines(logging.err)));

    // One the program cannot use: the line that says so, and config check's list.
    const std::string mode = withElement(original, "SimulationMode", "SIM" + kHostile);
    ASSERT_FALSE(mode.empty());
    test::writeFile(m_site.configFile(), mode);
    const test::ProcessResult tree = ctl("tree");
    EXPECT_TRUE(holds(ownLines(tree.err), "'SIM?]0;owned?"));
    EXPECT_TRUE(harmless(ownLines(tree.err)));
    const test::ProcessResult check = ctl("config check " + m_site.configFile());
    EXPECT_TRUE(holds(check.out, "value 'SIM?]0;owned?"));
    EXPECT_TRUE(harmless(check.out + check.err));

    const std::string root = m_site / "root.xml";
    test::writeFile(root, "<x\xc2\x9b"
                          "2J/>");
    const test::ProcessResult other = ctl("config check " + root);
    EXPECT_TRUE(holds(other.err, "root element is <x?2J>"));
    EXPECT_TRUE(harmless(other.out + other.err));
}

// The holder of a lock writes its own words into the lock file; who waits shows them as text.
TEST_F(Zamo2ctlTerminal, ALockHoldersWordsAreShownNotRun)
{
    SystemLock holder(SystemLock::defaultFolder(), SystemLock::localSystem());
    ASSERT_EQ(holder.tryAcquire("zamo2explorer", "updating\xc2\x9b"
                                                 "2J firmware"),
              SystemLock::Outcome::Held)
        << holder.error();
    const test::ProcessResult run = ctl("firmware update --board 0 --timeout 1");
    EXPECT_EQ(run.exitCode, 75);
    EXPECT_TRUE(holds(run.err, "is updating?2J firmware; waiting up to 1 s"));
    EXPECT_TRUE(holds(run.err, "nothing was changed: busy: "));
    EXPECT_TRUE(harmless(run.err));
}

} // namespace
} // namespace z2e
