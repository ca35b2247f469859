#include "gui/window/startup_scan.h"

#include "core/system_model.h"
#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"

#include <ctime>

namespace z2e {

StartupScan::~StartupScan()
{
    if (m_thread.joinable())
        m_thread.join();
}

void StartupScan::start(SystemModel& system)
{
    m_system = &system;
    // The time zone is set up here, before the scan's first log line: glibc otherwise sets it
    // up in whichever thread asks first, and Qt's own tzset() on this thread then frees what
    // that thread allocated (under a lock of glibc's that ThreadSanitizer cannot see).
    ::tzset();
    try {
        m_thread = std::thread([this] { scan(); });
    } catch (...) {
        // wait() scans instead.
    }
}

std::int32_t StartupScan::wait()
{
    if (m_waited || !m_system)
        return m_status;
    if (m_thread.joinable())
        m_thread.join();
    else
        scan();
    m_waited = true;
    return m_status;
}

void StartupScan::scan()
{
    MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), "");
    ChangeIntent::recover(journal);
    m_status = m_system->initializeSystem();
    m_listings = ModelPicker::loadListings(m_system->wrapper());
    m_ended = true;
}

} // namespace z2e
