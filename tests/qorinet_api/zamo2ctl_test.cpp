// zamo2ctl as a program: its command line, exit status and output, on the scripted driver.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef ZAMO2CTL

namespace {

struct Outcome {
    int status;
    std::string out;
    bool operator==(const Outcome& o) const { return status == o.status && out == o.out; }
};

void PrintTo(const Outcome& o, std::ostream* os) { *os << "exit " << o.status << ", output \"" << o.out << "\""; }

// Standard error is dropped; the tests look at what scripts would parse.
Outcome zamo2ctl(const std::string& arguments, const std::string& environment = {})
{
    const std::string line = environment + " " ZAMO2CTL " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(line.c_str(), "r");
    Outcome run{-1, {}};
    if (!pipe)
        return run;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.out.append(chunk, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

const std::string kFake = std::string("--driver ") + QORINET_FAKE_DRIVER;

TEST(Zamo2ctl, BadCommandLinesExit64)
{
    for (const char* args : {"", "frobnicate", "get System", "set-i32 0 1", "--simulation maybe local",
                             "--driver", "--bogus local", "driver-text twelve"})
        EXPECT_EQ(64, zamo2ctl(args).status) << args;
    const Outcome help = zamo2ctl("--help");
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("Usage: zamo2ctl"));
}

TEST(Zamo2ctl, DriverTextNeedsNoDriver)
{
    EXPECT_EQ((Outcome{0, "ERR_HARDWARE_ALREADY_IN_USE (0x0001)\n"}), zamo2ctl("--driver /nonexistent.so driver-text 1"));
    EXPECT_EQ((Outcome{0, "ERR_UNI_OSAL_ERROR\n"}), zamo2ctl("driver-text 0xAAE69"));
    EXPECT_EQ((Outcome{1, ""}), zamo2ctl("driver-text 1028"));
    EXPECT_EQ((Outcome{0, "{\"code\":-400000,\"known\":true,\"text\":\"WARNING_LAST_CONFIG_NOT_FOUND (- 400000)\"}\n"}),
              zamo2ctl("driver-text --json -400000"));
}

TEST(Zamo2ctl, LocalReportsTheConnectedSystem)
{
    const Outcome run = zamo2ctl(kFake + " --json local", "QORINET_FAKE_BOARDS=-3");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("{\"boardCount\":3,\"enclosureCount\":1,\"simulation\":true,\"driverVersion\":\"9.9.9-fake\","
              "\"result\":0,\"resultText\":\"ERR_NONE (0)\"}\n",
              run.out);
    EXPECT_EQ(2, zamo2ctl("--driver /nonexistent/libnothing.so local").status);
}

TEST(Zamo2ctl, SimulationModeIsSetBeforeTheDriverStarts)
{
    EXPECT_EQ((Outcome{0, "SIMMODE_OFF\n"}), zamo2ctl(kFake + " --simulation off get fake modeAtInit"));
    EXPECT_EQ((Outcome{0, "unset\n"}), zamo2ctl(kFake + " get fake modeAtInit"));
}

TEST(Zamo2ctl, RawAccessExitsWithTheDriverResult)
{
    EXPECT_EQ(63, zamo2ctl(kFake + " get NoSuchTarget item").status) << "100008 does not fit an exit status";
    EXPECT_EQ((Outcome{0, "{\"argument1\":\"BoardID0\",\"argument2\":\"x\",\"argument3\":\"a\\\"b\",\"result\":0,"
                      "\"resultText\":\"ERR_NONE (0)\"}\n"}),
              zamo2ctl(kFake + " --json set BoardID0 x 'a\"b'"));
    EXPECT_EQ(0, zamo2ctl(kFake + " set-i32 0 773 -1").status);
    EXPECT_EQ(64, zamo2ctl(kFake + " set-i32 zero 773 0").status);
}

#ifdef SIM_EXAMPLES

// The driver stand-in beside the program, on its example hardware and configuration, in
// folders of its own (the hardware lock included, so other runs cannot hold it).
class Zamo2ctlOnSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zamo2ctl_sim_XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        m_dir = pattern;
        std::filesystem::create_directories(m_dir / "config");
        std::filesystem::copy_file(SIM_EXAMPLES "/zmpxi_api_config.xml", m_dir / "config/zmpxi_api_config.xml");
        m_env = "ZMPXI_API_CONFIG_DIR=" + (m_dir / "config").string() + " ZMPXI_SIM_STATE_DIR=" +
                (m_dir / "state").string() + " XDG_RUNTIME_DIR=" + m_dir.string() +
                " ZMPXI_SIM_HARDWARE=" SIM_EXAMPLES "/hardware.xml";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
    std::string m_env;
};

// The number after "name": in a flat JSON object, or -1.
long field(const std::string& json, const std::string& name)
{
    const std::string key = "\"" + name + "\":";
    const std::size_t at = json.find(key);
    if (at == std::string::npos)
        return -1;
    const char* start = json.c_str() + at + key.size();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    return end == start ? -1 : value;
}

TEST_F(Zamo2ctlOnSimulator, ShowsTheHardwareAndTheDemoSystem)
{
    const Outcome hardware = zamo2ctl("--json local", m_env);
    ASSERT_EQ(0, hardware.status) << hardware.out;
    EXPECT_NE(std::string::npos, hardware.out.find("\"simulation\":false"));
    EXPECT_GT(field(hardware.out, "boardCount"), 0);
    EXPECT_GT(field(hardware.out, "enclosureCount"), 0);

    const Outcome demo = zamo2ctl("--simulation force --json local", m_env);
    ASSERT_EQ(0, demo.status) << demo.out;
    EXPECT_NE(std::string::npos, demo.out.find("\"simulation\":true"));
    EXPECT_GT(field(demo.out, "boardCount"), 0);

    EXPECT_EQ((Outcome{0, (m_dir / "config").string() + "\n"}), zamo2ctl("get System/Config Path", m_env));
    const Outcome count = zamo2ctl("get System EnclosureCount", m_env);
    EXPECT_EQ(std::to_string(field(hardware.out, "enclosureCount")) + "\n", count.out);
}

#endif

} // namespace

#endif
