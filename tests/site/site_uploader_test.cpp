// The background upload: records reach the server without being asked for, a server that goes
// away is tried again after a back-off that doubles, and what waited goes once it is back.
#include "site_fixture.h"

#include "tools/asset_register.h"
#include "tools/site_uploader.h"

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace z2e {
namespace {

using testing_site::SiteTest;
using namespace std::chrono_literals;

// The rounds an uploader told, for the test's thread to wait on.
class Rounds {
public:
    using Enough = std::function<bool(const std::vector<SiteUploader::Round>&)>;

    void add(const SiteUploader::Round& round)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_rounds.push_back(round);
        m_added.notify_all();
    }

    /// The rounds told from the `from`th on, once `enough` says they are; false after 30 s.
    bool wait(std::size_t from, const Enough& enough, std::vector<SiteUploader::Round>& rounds)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto since = [&] {
            rounds.assign(m_rounds.begin() + static_cast<std::ptrdiff_t>(std::min(from, m_rounds.size())),
                          m_rounds.end());
            return enough(rounds);
        };
        return m_added.wait_for(lock, 30s, since);
    }

    std::size_t count()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_rounds.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<SiteUploader::Round> m_rounds;
};

bool anyComplete(const std::vector<SiteUploader::Round>& rounds)
{
    return std::any_of(rounds.begin(), rounds.end(), [](const SiteUploader::Round& r) { return r.complete; });
}

AssetSighting seenAt(int slot)
{
    return {"2026-03-01T10:0" + std::to_string(slot) + ":00.000Z",
            "10A80001",
            "QA-4008.BNC",
            "local",
            0,
            static_cast<std::uint32_t>(slot),
            "",
            ""};
}

TEST_F(SiteTest, TheUploaderSendsByItselfAndBacksOffWhileTheServerIsAway)
{
    test::ScratchFolder documents("z2e-uploader");
    AssetRegister local(documents.path());
    ASSERT_TRUE(local.open()) << local.lastError();
    ASSERT_TRUE(local.recordSightings({seenAt(2)}));

    Rounds rounds;
    SiteUploader uploader(documents.path(), url(), "bay2", {1h, 20ms, 50ms},
                          [&rounds](const SiteUploader::Round& round) { rounds.add(round); });
    std::vector<SiteUploader::Round> told;
    ASSERT_TRUE(rounds.wait(0, anyComplete, told));
    EXPECT_EQ(told.front().counts.sent, 1u);
    EXPECT_EQ(told.front().next, 1h);
    EXPECT_EQ(sql("SELECT count(*) FROM site_records"), "1");

    ASSERT_TRUE(cluster()->stop());
    ASSERT_TRUE(local.recordSightings({seenAt(3)}));
    const std::size_t before = rounds.count();
    uploader.nudge();
    // Waits of 20, 40, then 50 ms: doubled, and no longer than the longest.
    ASSERT_TRUE(rounds.wait(
        before, [](const auto& since) { return since.size() >= 3; }, told));
    EXPECT_FALSE(anyComplete(told));
    EXPECT_EQ(told[0].next, 20ms);
    EXPECT_EQ(told[1].next, 40ms);
    EXPECT_EQ(told[2].next, 50ms);
    EXPECT_NE(told[0].error.find("cannot reach the site register"), std::string::npos) << told[0].error;

    ASSERT_TRUE(cluster()->restart()) << cluster()->why();
    const std::size_t back = rounds.count();
    ASSERT_TRUE(rounds.wait(back, anyComplete, told));
    EXPECT_EQ(sql("SELECT count(*) FROM site_records"), "2");
    uploader.stop();
}

} // namespace
} // namespace z2e
