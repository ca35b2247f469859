#include "core/application_status.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace z2e {
namespace {

struct StatusText {
    std::int32_t code;
    const char* text;
};

// Searched in this order; the first matching code wins.
const StatusText kStatusTexts[] = {
    {0, "Operation completed successfully!"},
    {7, "An internal system error occurred!"},
    {2, nullptr}, // names the driver library, formatted below
    {500, "Hardware import failed!"},
    {501, "Failed to load simulation configuration!"},
    {1010, "Successfully updated the enclosure data.\n\nQORINet device will restart to apply new values!"},
    {1000, "Successfully updated the enclosure data.\n\nRestart ZAMO2Explorer to apply new values!"},
    {1100, "Writing data not supported for this enclosure type!"},
    {1101, "Invalid serial number!"},
    {1002, "The file was not saved there: what stands there is left as it is."},
    {1102, "Invalid user data!"},
    {303, "Enclosure data access error.\nCheck hardware!"},
    {3000, "Firmware Update complete.\r\nPlease power cycle the boards."},
    {3001, "Firmware Update skipped.\r\nNo need to power cycle the boards."},
    {3002, "Firmware Update failed.\r\nPlease retry the update before power cycling\r\nthe boards."},
    {4000, "Board Cross Grade failed.\r\nPlease retry the procedure before power cycling\r\nthe boards."},
    {4001, "Board Cross Grade complete.\r\nPlease power cycle the boards."},
    {4002, "Cross Grade not supported for\r\nthis board type."},
    {4003, "Failed to access base board data."},
    {4004, "Failed to access base board EEPROM."},
    {8, "Error!\r\nFailed to create data package!"},
    {9, "Warning!\r\nNo files to collect for report package!"},
    {4005, "Error!\r\nFailed to open the selected EEPROM backup file!"},
    {4006, "Error!\r\nThe selected EEPROM backup file is not valid\r\nfor the target!"},
    {4007, "Error!\r\nFailed to write data to the base EEPROM!"},
    {4008, "Error!\r\nFailed to write data to the connector panel EEPROM!"},
    {4009, "Error backing up the EEPROM files!"},
    {4102, "Error writing the maintenance journal!"},
    {4110, "Interrupted!\r\nThe change did not end; what the board holds is unknown."},
    {10, "QORIN hardware is used by another application.\r\nZAMO2Explorer will not be able to\r\ndisplay local "
         "QORIN boards."},
};

std::string formatted(const char* pattern, const char* text, std::int32_t code)
{
    char buffer[256];
    if (text)
        std::snprintf(buffer, sizeof buffer, pattern, text);
    else
        std::snprintf(buffer, sizeof buffer, pattern, static_cast<int>(code));
    return buffer;
}

} // namespace

std::string statusMessage(std::int32_t code)
{
    for (const StatusText& entry : kStatusTexts) {
        if (entry.code != code)
            continue;
        if (entry.text)
            return entry.text;
        return formatted("System error!\r\n%s not found.\nThe application will terminate.", "zmpxi_api_x64.dll", code);
    }
    return formatted("Unknown error encountered!\r\nError code %d.", nullptr, code);
}

bool statusKnown(std::int32_t code)
{
    return std::any_of(std::begin(kStatusTexts), std::end(kStatusTexts),
                       [code](const StatusText& entry) { return entry.code == code; });
}

} // namespace z2e
