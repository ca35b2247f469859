#include "core/demo_status.h"

namespace z2e {
namespace {

struct DemoText {
    std::int32_t code;
    const char* text;
};

const DemoText kTexts[] = {
    {DemoStatus::ConfigurationNotSaved, "Failed to save the driver configuration!\r\nThe file on disk is unchanged."},
    {DemoStatus::DemoFileNotSaved, "Failed to save the demo file!"},
    {DemoStatus::DemoFileRefused, "The demo file was not saved there; what stands there is left as it is."},
    {DemoStatus::NotEditable, "Only the demo system can be edited here."},
    {DemoStatus::NoSuchElement, "No such enclosure, slot or model."},
    {DemoStatus::NoHardwareToImport, "No hardware to import!"},
    {DemoStatus::NothingToUndo, "There is no demo edit to undo."},
    {DemoStatus::SlotOccupied, "The slot already holds a board."},
    {DemoStatus::BoardListingFailed, "The driver did not list its board models."},
    {DemoStatus::EnclosureListingFailed, "The driver did not list its enclosure types."},
    {DemoStatus::BoardDescriptionFailed, "The driver did not describe the board model."},
    {DemoStatus::BoardConfigFailed, "The driver did not give the board model's configuration."},
    {DemoStatus::BoardFirmwareFailed, "The driver did not give the board model's firmware."},
    {DemoStatus::BoardModelRefused, "The driver does not know this board model."},
    {DemoStatus::EnclosureDescriptionFailed, "The driver did not describe the enclosure type."},
    {DemoStatus::EnclosureModelRefused, "The driver does not know this enclosure type."},
    {DemoStatus::DescriptionUnusable, "The model's description is not usable."},
    {DemoStatus::DriverNotReady, "The driver is not ready."},
};

} // namespace

std::string demoStatusText(std::int32_t code)
{
    for (const DemoText& entry : kTexts) {
        if (entry.code == code)
            return entry.text;
    }
    return statusMessage(code);
}

} // namespace z2e
