// A saved bus trace reads back as it was written, a spreadsheet never runs its text as a
// formula, and nothing that stands at the operator's path is destroyed.

#include "tools/bus_trace_file.h"

#include "support/site.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace z2e {
namespace {

namespace fs = std::filesystem;

class BusTraceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("bus-trace-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static std::string contentOf(const std::string& file)
    {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void writeText(const std::string& file, const std::string& text) { std::ofstream(file) << text; }
    /// Only the file itself: no temporary stayed beside it.
    std::size_t filesInDir() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

TEST_F(BusTraceFileTest, ATraceReadsBackAsItWasSaved)
{
    std::deque<BusRecord> frames = {
        {1500, 1, 0x123, 0, {0xDE, 0xAD, 0x01}},
        {1700, 3, 0x18FF0001, BusRecord::kExtended | BusRecord::kRemote, {}},
        {1900, 0, 0, BusRecord::kErrorFrame, {}},
    };
    std::string error;
    const std::string file = path("trace.csv");
    ASSERT_TRUE(BusTraceFile::write(file, BusKind::Can, frames, false, error)) << error;
    const std::string text = contentOf(file);
    EXPECT_EQ(text.substr(0, text.find('\n')), BusTraceFile::kHeader);
    EXPECT_NE(text.find("CAN,1500,1,123,,3,DE AD 01,\"...\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("CAN,1700,3,18FF0001,XR,0,,\"\"\n"), std::string::npos) << text;
    EXPECT_EQ(filesInDir(), 1u);

    BusKind kind = BusKind::Uart;
    std::vector<BusRecord> read;
    ASSERT_TRUE(BusTraceFile::read(file, kind, read, error)) << error;
    EXPECT_EQ(kind, BusKind::Can);
    ASSERT_EQ(read.size(), frames.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].timestampUs, frames[i].timestampUs);
        EXPECT_EQ(read[i].channel, frames[i].channel);
        EXPECT_EQ(read[i].id, frames[i].id);
        EXPECT_EQ(read[i].flags, frames[i].flags);
        EXPECT_EQ(read[i].data, frames[i].data);
    }
}

TEST_F(BusTraceFileTest, UartTextIsNeverAFormulaAndKeepsItsCommasAndQuotes)
{
    const std::string typed = "=1+2,\"x\"";
    std::deque<BusRecord> bytes = {{10, 0, 0, 0, std::vector<std::uint8_t>(typed.begin(), typed.end())}};
    const std::string line = BusTraceFile::line(BusKind::Uart, bytes.front());
    EXPECT_EQ(line, "UART,10,0,,,8,3D 31 2B 32 2C 22 78 22,\"'=1+2,\"\"x\"\"\"");
    std::string error;
    ASSERT_TRUE(BusTraceFile::write(path("u.csv"), BusKind::Uart, bytes, false, error)) << error;
    BusKind kind = BusKind::Can;
    std::vector<BusRecord> read;
    ASSERT_TRUE(BusTraceFile::read(path("u.csv"), kind, read, error)) << error;
    EXPECT_EQ(kind, BusKind::Uart);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(std::string(read[0].data.begin(), read[0].data.end()), typed);
}

TEST_F(BusTraceFileTest, WhatStandsAtThePathIsLeftAsItIs)
{
    const std::deque<BusRecord> frames = {{1, 0, 0x7, 0, {1}}};
    std::string error;
    bool refused = false;
    const std::string existing = path("old.csv");
    writeText(existing, "keep me");
    EXPECT_FALSE(BusTraceFile::write(existing, BusKind::Can, frames, false, error, &refused));
    EXPECT_TRUE(refused);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(contentOf(existing), "keep me");
    ASSERT_TRUE(BusTraceFile::write(existing, BusKind::Can, frames, true, error, &refused)) << error;
    EXPECT_NE(contentOf(existing).find("CAN,1,0,7,,1,01"), std::string::npos);

    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(BusTraceFile::write(fifo, BusKind::Can, frames, true, error, &refused));
    EXPECT_TRUE(refused);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_FALSE(BusTraceFile::write(m_dir.string(), BusKind::Can, frames, true, error, &refused));
    EXPECT_TRUE(fs::is_directory(m_dir));

    EXPECT_FALSE(BusTraceFile::write(path("missing/t.csv"), BusKind::Can, frames, false, error, &refused));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(filesInDir(), 2u) << "old.csv and the FIFO, no temporary";
}

TEST_F(BusTraceFileTest, DamagedOrForeignFilesAreRefusedNamingTheLine)
{
    const std::string header = std::string(BusTraceFile::kHeader) + "\n";
    const std::pair<std::string, std::string> cases[] = {
        {"name,age\n", "header"},
        {header + "CAN,1,0,7,,1,01,\"\"\nCAN,x,0,7,,1,01,\"\"\n", "line 3"},
        {header + "CAN,1,4,7,,1,01,\"\"\n", "line 2"},
        {header + "CAN,1,0,20000000,,0,,\"\"\n", "line 2"},
        {header + "CAN,1,0,7,Q,0,,\"\"\n", "line 2"},
        {header + "CAN,1,0,7,,2,01,\"\"\n", "says 2 bytes but holds 1"},
        {header + "CAN,1,0,7,,9,01 02 03 04 05 06 07 08 09,\"\"\n", "at most 8"},
        {header + "UART,1,0,,,1,41,\"A\"\nCAN,1,0,7,,1,01,\"\"\n", "mixes"},
        {header + "CAN,1,0,7\n", "has 4 cells"},
        {header + "CAN,1,0,7,,1," + std::string(BusTraceFile::kMaxLineBytes, '0') + "\n", "longer than"},
    };
    for (const auto& [text, expected] : cases) {
        writeText(path("bad.csv"), text);
        BusKind kind = BusKind::Can;
        std::vector<BusRecord> read;
        std::string error;
        EXPECT_FALSE(BusTraceFile::read(path("bad.csv"), kind, read, error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
        EXPECT_TRUE(read.empty());
    }
    BusKind kind = BusKind::Can;
    std::vector<BusRecord> read;
    std::string error;
    EXPECT_FALSE(BusTraceFile::read(m_dir.string(), kind, read, error));
    EXPECT_NE(error.find("is not a file"), std::string::npos);
}

} // namespace
} // namespace z2e
