#include "tools/test_result_files.h"

#include "config/output_destination.h"
#include "driver/command/app_status.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <sstream>

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

namespace {

std::int32_t save(const std::string& path, const std::string& content, std::string* error, bool replace)
{
    const OutputDestination::Result written = OutputDestination::write(path, content, {replace, true});
    if (error)
        *error = written.message;
    if (written.ok())
        return AppStatus::Ok;
    return written.refused() ? AppStatus::DestinationRefused : AppStatus::SaveFailed;
}

} // namespace

std::int32_t TestResultFiles::saveSingle(const std::string& path, const BoardTestRow& row, std::string* error,
                                         bool replace)
{
    return save(path, row.document, error, replace);
}

std::int32_t TestResultFiles::saveAll(const std::string& path, const std::vector<BoardTestRow>& rows,
                                      std::string* error, bool replace)
{
    pugi::xml_document results;
    pugi::xml_node root = results.append_child("Results");
    bool any = false;
    for (const BoardTestRow& row : rows) {
        if (row.document.empty())
            continue;
        any = true;
        pugi::xml_document part;
        if (!xpugi::parseUntrusted(part, row.document))
            continue;
        for (const pugi::xml_node& child : part.children())
            root.append_copy(child);
    }
    if (!any)
        return AppStatus::NothingToCollect;
    std::ostringstream out;
    results.save(out, "\t");
    return save(path, out.str(), error, replace);
}

} // namespace z2e
