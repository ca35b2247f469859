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

} // namespace z2e
