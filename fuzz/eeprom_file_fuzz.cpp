// An EEPROM backup file chosen for a restore, on arbitrary bytes: the check before anything is
// sent, the read-back comparison the restore ends with, and the file name a backup of the same
// document would get.

#include "driver/command/app_status.h"
#include "tools/eeprom_backup.h"
#include "tools/eeprom_comparison.h"
#include "tools/eeprom_restore.h"

#include "require.h"

#include <cstdint>
#include <string>

namespace {

using namespace z2e;

using fuzz::require;

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void restore(const std::string& content, EepromWhich which)
{
    std::string document;
    std::string message;
    const std::int32_t status = EepromRestore::check(content, "backup.xml", which, document, message);
    if (status != AppStatus::Ok) {
        // Refused: with a reason, and nothing to send.
        require(status == AppStatus::EepromDocumentFailed || status == AppStatus::EepromFileInvalid);
        require(document.empty() && !message.empty());
        return;
    }
    // What is sent passes the same check again unchanged, and a board that reports exactly
    // the file's content is found verified.
    std::string again;
    require(EepromRestore::check(document, "sent", which, again, message) == AppStatus::Ok);
    require(again == document);
    require(EepromComparison::verdict(document, content) == "verified");
}

void backupName(const std::string& content, EepromWhich which)
{
    const std::string name = EepromBackup::fileName(7, which, content);
    // The name never leaves the chosen folder.
    require(name.find('/') == std::string::npos && name.find('\\') == std::string::npos);
    require(name.rfind(which == EepromWhich::Base ? "Baseeeprom_Brd7_" : "Coneeprom_Brd7_", 0) == 0);
    require(endsWith(name, ".xml"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    for (const EepromWhich which : {EepromWhich::Base, EepromWhich::Connector}) {
        restore(content, which);
        backupName(content, which);
    }
    // A read-back that differs: the two halves of the input against each other. Being the
    // same does not depend on which one was written.
    const std::string first = content.substr(0, size / 2);
    const std::string second = content.substr(size / 2);
    require((EepromComparison::verdict(first, second) == "verified") ==
            (EepromComparison::verdict(second, first) == "verified"));
    return 0;
}
