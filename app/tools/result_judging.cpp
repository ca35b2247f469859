#include "tools/result_judging.h"

#include "tools/test_verdict.h"

namespace z2e {

void ResultJudging::start()
{
    if (m_waiting.size() >= kLeastForThread)
        m_thread.start([this] { judge(); }, HelperThread::Placement::OtherProcessor);
}

void ResultJudging::finish()
{
    judge();
    m_thread.join();
}

void ResultJudging::judge()
{
    for (std::size_t i = m_next++; i < m_waiting.size(); i = m_next++) {
        BoardTestRow& row = m_rows[m_waiting[i]];
        TestVerdict::read(row.document, row.status, row.details);
    }
}

} // namespace z2e
