#include "tools/last_self_tests.h"

#include "tools/maintenance_journal.h"
#include "uni/number_text.h"

#include <filesystem>

namespace z2e {

void LastSelfTests::add(const std::string& line)
{
    if (MaintenanceJournal::field(line, "operation").rfind("selftest", 0) != 0)
        return;
    const std::string serial = MaintenanceJournal::field(line, "serial");
    if (!serial.empty())
        m_last[MaintenanceJournal::serialKey(serial)] = line;
}

LastSelfTests LastSelfTests::ofJournal(const std::string& maintenanceFolder)
{
    std::error_code error;
    LastSelfTests tests;
    if (maintenanceFolder.empty() || !std::filesystem::is_directory(maintenanceFolder, error))
        return tests;
    MaintenanceJournal(maintenanceFolder, "").visit("", [&tests](const std::string& line) { tests.add(line); });
    return tests;
}

bool LastSelfTests::find(const std::string& serial, SelfTestRecord& record) const
{
    const auto it = serial.empty() ? m_last.end() : m_last.find(MaintenanceJournal::serialKey(serial));
    if (it == m_last.end())
        return false;
    record.time = MaintenanceJournal::field(it->second, "time");
    record.operation = MaintenanceJournal::field(it->second, "operation");
    record.status = MaintenanceJournal::field(it->second, "status");
    record.result = 0;
    uni::text::parseSignedDecimal(MaintenanceJournal::field(it->second, "result"), record.result);
    return true;
}

} // namespace z2e
