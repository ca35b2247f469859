#include "tools/test_result_files.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"

#include <pugixml.hpp>

#include <fstream>

namespace z2e {

std::string TestResultFiles::proposedName(const std::string& folder, const std::string& testName,
                                          const BoardTestRow& row)
{
    static const char* const kNames[] = {"Self_Test", "Auto_Zero", "Gain_Cal", "Three_Wire", "Reset_Def"};
    std::string prefix = "/hw_tests_";
    for (const char* name : kNames) {
        if (testName == name)
            prefix = "/" + testName + "_";
    }
    return folder + prefix + row.board.name + "_" + row.board.serial + ".xml";
}

std::int32_t TestResultFiles::saveSingle(const std::string& path, const BoardTestRow& row)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return AppStatus::SaveFailed;
    out << row.document;
    out.close();
    return out ? AppStatus::Ok : AppStatus::SaveFailed;
}

std::int32_t TestResultFiles::saveAll(const std::string& path, const std::vector<BoardTestRow>& rows)
{
    pugi::xml_document results;
    pugi::xml_node root = results.append_child("Results");
    bool any = false;
    for (const BoardTestRow& row : rows) {
        if (row.document.empty())
            continue;
        any = true;
        pugi::xml_document part;
        if (!part.load_string(row.document.c_str()))
            continue;
        for (const pugi::xml_node& child : part.children())
            root.append_copy(child);
    }
    if (!any)
        return AppStatus::NothingToCollect;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return AppStatus::SaveFailed;
    results.save(out, "\t");
    out.close();
    return out ? AppStatus::Ok : AppStatus::SaveFailed;
}

} // namespace z2e
