#include "tools/test_result_files.h"

#include "config/atomic_file_writer.h"
#include "driver/command/app_status.h"

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

std::int32_t TestResultFiles::saveSingle(const std::string& path, const BoardTestRow& row, std::string* error)
{
    return AtomicFileWriter::write(path, row.document, error) ? AppStatus::Ok : AppStatus::SaveFailed;
}

std::int32_t TestResultFiles::saveAll(const std::string& path, const std::vector<BoardTestRow>& rows,
                                      std::string* error)
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
    std::ostringstream out;
    results.save(out, "\t");
    return AtomicFileWriter::write(path, out.str(), error) ? AppStatus::Ok : AppStatus::SaveFailed;
}

} // namespace z2e
