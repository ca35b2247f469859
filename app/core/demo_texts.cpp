#include "core/demo_texts.h"

#include "core/demo_status.h"

namespace z2e {

std::string DemoTexts::progressText(DemoOperation operation)
{
    switch (operation) {
    case DemoOperation::AddEnclosure: return kAddingEnclosure;
    case DemoOperation::ChangeEnclosureType: return kChangingEnclosureType;
    case DemoOperation::PutBoard: return kAddingBoard;
    case DemoOperation::RemoveEnclosure: return kRemovingEnclosure;
    case DemoOperation::RemoveBoard: return kRemovingBoard;
    case DemoOperation::ImportHardware: return kImportingHardware;
    case DemoOperation::LoadDemo: return kLoadingSimulation;
    case DemoOperation::SaveDemo:
    case DemoOperation::SaveSystem:
    case DemoOperation::SaveConfiguration: break;
    }
    return {};
}

std::string DemoTexts::statusBarText(DemoOperation operation, std::int32_t status)
{
    const bool ok = status == DemoStatus::Ok;
    switch (operation) {
    case DemoOperation::ImportHardware: return ok ? std::string() : kHardwareImportFailed;
    case DemoOperation::LoadDemo: return ok ? std::string() : kDemoLoadFailed;
    case DemoOperation::SaveConfiguration: return ok ? kConfigurationSaved : kConfigurationNotSaved;
    case DemoOperation::SaveDemo:
    case DemoOperation::SaveSystem: return ok ? std::string() : kDemoFileNotSaved;
    default: return {};
    }
}

std::string DemoTexts::startUpStatusText(bool localHardwarePresent)
{
    return localHardwarePresent ? kLocalHardwareFound : kDemoMode;
}

std::string DemoTexts::configurationFallbackLine(const std::string& path, const std::string& reason)
{
    return "Driver configuration not usable, defaults in use: " + path + ": " + reason;
}

std::string DemoTexts::configurationFallbackNotice(const std::string& path, const std::string& reason)
{
    return "The driver configuration file could not be used:\n" + path + "\n" + reason +
           "\n\nThe built-in defaults are in use. The file stays as it is until the configuration is "
           "saved; that save keeps it beside the new one.";
}

std::string DemoTexts::configurationKeptNotice(const std::string& path, const std::string& kept)
{
    return "The configuration was saved to\n" + path + "\nThe unusable file that was there is kept as\n" + kept;
}

std::string DemoTexts::removeEnclosureQuestion(std::int32_t number, const std::string& name, std::size_t boards)
{
    return "Enclosure " + std::to_string(number) + " (" + name + ") holds " + std::to_string(boards) +
           (boards == 1 ? " board" : " boards") + ".\nRemove it with " + (boards == 1 ? "its board?" : "all of them?");
}

std::string DemoTexts::replaceBoardQuestion(const std::string& slot, const std::string& board, const std::string& model)
{
    return slot + " holds " + board + ".\nReplace it by " + model + "?";
}

std::string DemoTexts::replaceDemoSystemQuestion(std::size_t enclosures, std::size_t boards, const std::string& source)
{
    return "The demo system (" + std::to_string(enclosures) + (enclosures == 1 ? " enclosure, " : " enclosures, ") +
           std::to_string(boards) + (boards == 1 ? " board" : " boards") + ") will be replaced by a copy of " + source +
           ".\nContinue?";
}

std::string DemoTexts::networkNodeSource(const std::string& name)
{
    return "the network node \"" + name + "\"";
}

} // namespace z2e
