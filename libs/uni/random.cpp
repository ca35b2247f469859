#include "uni/random.h"

#include <sys/random.h>

#include <array>
#include <mutex>
#include <random>

namespace uni {

namespace {

class BatchSource {
public:
    std::uint32_t next()
    {
        if (m_index == m_batch.size())
            refill();
        return m_batch[m_index++];
    }

    std::uint64_t batches() const { return m_batches; }

    std::mutex mutex;

private:
    void seedOnce()
    {
        std::array<std::uint32_t, 8> words{};
        // getrandom never blocks once the pool is initialised, which it is long before we run.
        if (getrandom(words.data(), sizeof words, 0) != static_cast<ssize_t>(sizeof words)) {
            std::random_device device;
            for (auto& w : words)
                w = device();
        }
        std::seed_seq seq(words.begin(), words.end());
        m_engine.seed(seq);
        m_seeded = true;
    }

    void refill()
    {
        if (!m_seeded)
            seedOnce();
        for (auto& value : m_batch)
            value = static_cast<std::uint32_t>(m_engine());
        m_index = 0;
        ++m_batches;
    }

    std::mt19937 m_engine;
    std::array<std::uint32_t, Random::kBatchSize> m_batch{};
    std::size_t m_index = Random::kBatchSize; // empty: the first draw fills it
    std::uint64_t m_batches = 0;
    bool m_seeded = false;
};

BatchSource& source()
{
    static BatchSource instance;
    return instance;
}

} // namespace

std::uint32_t Random::next()
{
    // A batch at a time per thread: a frame id is drawn for every request, and the lock would
    // cost as much as the rest of the draw.
    thread_local std::array<std::uint32_t, kBatchSize> batch{};
    thread_local std::size_t index = kBatchSize;
    if (index == batch.size()) {
        fill(batch.data(), batch.size());
        index = 0;
    }
    return batch[index++];
}

void Random::fill(std::uint32_t* out, std::size_t count)
{
    BatchSource& s = source();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = s.next();
}

std::uint64_t Random::batchCount()
{
    BatchSource& s = source();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.batches();
}

} // namespace uni
