#include "support/site.h"

#include "uni/log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace uni::log;

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/// The message of each line: what follows the channel.
std::vector<std::string> messagesIn(const std::string& path)
{
    std::vector<std::string> messages;
    for (const std::string& line : readLines(path))
        messages.push_back(line.substr(line.find("] ") + 2));
    return messages;
}

// Each test owns the sinks it adds and removes them, so tests stay independent.
class LogSinkTest : public ::testing::Test {
protected:
    void TearDown() override { removeAllSinks(); }
    std::string addSink(const char* tag, UniLogSeverityLevel min, std::string channel = {}, bool async = false)
    {
        FileSinkOptions o;
        o.fileName = m_folder / (std::string(tag) + ".log");
        o.minSeverity = min;
        o.channel = std::move(channel);
        o.async = async;
        EXPECT_TRUE(addFileSink(o));
        return o.fileName;
    }
    z2e::test::ScratchFolder m_folder{"z2e-log-test"};
};

TEST(LogText, SeverityNamesRoundTripAndUnknownTextFallsBack)
{
    const char* names[] = {"debug", "trace", "info", "assert", "warning", "error", "fatal"};
    for (int i = debug; i <= fatal; ++i) {
        EXPECT_STREQ(names[i], severityName(static_cast<UniLogSeverityLevel>(i)));
        EXPECT_EQ(i, levelFromText(names[i], fatal));
    }
    EXPECT_EQ(warning, levelFromText("Warning", warning)); // names are case-sensitive
    EXPECT_EQ(error, levelFromText("", error));
    EXPECT_EQ(info, levelFromText("verbose"));
}

TEST_F(LogSinkTest, WrittenLineMatchesFormatAndThreadIdIsOneToken)
{
    initialize();
    const std::string path = addSink("format", info);
    UNI_LOG("tnbc", info) << "scan " << 3 << " done";
    std::uint64_t workerId = 0;
    std::thread([&] {
        workerId = currentThreadId();
        UNI_LOG("UNI_THREAD", assert) << "from worker";
    }).join();
    flush();

    const auto lines = readLines(path);
    ASSERT_EQ(2u, lines.size());
    const std::regex shape(
        R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{6}[+-]\d{2}:\d{2} t(\d+) (\w+) \[([^\]]*)\] (.*)$)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, shape)) << lines[0];
    EXPECT_EQ(std::to_string(currentThreadId()), m[1].str());
    EXPECT_EQ("info", m[2].str());
    EXPECT_EQ("tnbc", m[3].str());
    EXPECT_EQ("scan 3 done", m[4].str());
    ASSERT_TRUE(std::regex_match(lines[1], m, shape)) << lines[1];
    EXPECT_EQ(std::to_string(workerId), m[1].str());
    EXPECT_NE(currentThreadId(), workerId);
    EXPECT_EQ("assert", m[2].str());
}

TEST_F(LogSinkTest, SinkFiltersBySeverityAndChannel)
{
    initialize();
    const std::string all = addSink("all", warning);
    const std::string tnc = addSink("tnc", debug, "tnc");
    UNI_LOG("tnc", info) << "below warning";   // only the tnc sink
    UNI_LOG("tnc", warning) << "at warning";   // both
    UNI_LOG("tncn", fatal) << "other channel"; // only the unfiltered sink
    UNI_LOG("", fatal) << "no channel";        // only the unfiltered sink
    flush();

    EXPECT_EQ(messagesIn(all), (std::vector<std::string>{"at warning", "other channel", "no channel"}));
    EXPECT_EQ(messagesIn(tnc), (std::vector<std::string>{"below warning", "at warning"}));
}

TEST_F(LogSinkTest, AsyncSinkKeepsEveryRecordOfEveryThread)
{
    initialize();
    const std::string path = addSink("async", debug, {}, true);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 250; ++i)
                UNI_LOG("tndc", debug) << "w" << t << " #" << i;
        });
    for (auto& w : writers)
        w.join();
    removeAllSinks(); // drains the feeding thread

    const auto lines = readLines(path);
    ASSERT_EQ(1000u, lines.size());
    std::vector<int> next(4, 0);
    for (const auto& line : lines) {
        const auto pos = line.find("] w");
        ASSERT_NE(std::string::npos, pos) << line;
        const int t = line[pos + 3] - '0';
        ASSERT_EQ("#" + std::to_string(next[t]), line.substr(line.find('#'))) << line;
        ++next[t];
    }
}

TEST_F(LogSinkTest, UnwritableFileNeverThrowsIntoTheWriter)
{
    initialize();
    FileSinkOptions o;
    o.fileName = "/proc/zamo2-no-such-dir/x.log";
    o.minSeverity = debug;
    addFileSink(o); // the file opens lazily; whether the sink is accepted does not matter here
    EXPECT_NO_THROW({
        UNI_LOG("tnc", error) << "goes nowhere";
        flush();
    });
    EXPECT_FALSE(addFileSink(FileSinkOptions{}));
}

TEST_F(LogSinkTest, NothingIsFormattedWithoutAWillingSink)
{
    initialize();
    addSink("quiet", error);
    bool evaluated = false;
    auto touch = [&] {
        evaluated = true;
        return 1;
    };
    UNI_LOG("tnc", info) << touch();
    EXPECT_FALSE(evaluated);
    UNI_LOG("tnc", error) << touch();
    EXPECT_TRUE(evaluated);
}

} // namespace
