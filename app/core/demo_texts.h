#pragma once
// Texts the window shows around demo system editing: the progress dialog's title and texts,
// the file dialogs, the notifications and the status bar. The window takes them from here so
// that the command line and the window say the same.

#include <cstddef>
#include <cstdint>
#include <string>

namespace z2e {

/// The demo editing operations, for choosing texts.
enum class DemoOperation {
    AddEnclosure,
    ChangeEnclosureType,
    PutBoard,
    RemoveEnclosure,
    RemoveBoard,
    ImportHardware,
    LoadDemo,
    SaveDemo,          ///< demo tree to a demo file
    SaveSystem,        ///< local hardware tree to a demo file
    SaveConfiguration, ///< the driver configuration file
};

class DemoTexts {
public:
    // Progress dialog (title and one text per long operation).
    static constexpr const char* kProgressTitle = "System";
    static constexpr const char* kAddingEnclosure = "Adding enclosure to simulation.";
    static constexpr const char* kChangingEnclosureType = "Changing enclosure type.";
    static constexpr const char* kAddingBoard = "Adding board to simulation.";
    static constexpr const char* kRemovingEnclosure = "Removing enclosure from simulation.";
    static constexpr const char* kRemovingBoard = "Removing board from simulation.";
    static constexpr const char* kImportingHardware = "Importing hardware setup into simulation.";
    static constexpr const char* kLoadingSimulation = "Loading simulation config.";

    // File dialogs of the demo menu (they start in DemoSystemEditor::configFolder()).
    static constexpr const char* kLoadDialogTitle = "Select File to Load";
    static constexpr const char* kSaveDialogTitle = "Select File to Save";
    static constexpr const char* kFileFilter = "Config Files (*.xml)";

    // Notifications.
    static constexpr const char* kNotificationTitle = "System";
    static constexpr const char* kNoHardwareToImport = "No hardware to import!";
    static constexpr const char* kUnsavedChangesQuestion =
        "There are unsaved changes.\n\rDo you want to save the configuration?";

    // Status bar.
    static constexpr const char* kHardwareImportFailed = "Hardware import failed.";
    static constexpr const char* kDemoLoadFailed = "Error loading demo configuration.";
    static constexpr const char* kConfigurationSaved = "API configuration saved.";
    static constexpr const char* kConfigurationNotSaved = "API configuration not saved.";
    static constexpr const char* kDemoFileNotSaved = "Demo file not saved.";
    static constexpr const char* kLocalHardwareFound = "Local QORIN hardware found.";
    static constexpr const char* kDemoMode = "Local system is in demo mode.";

    /// Progress text of a long operation; empty for the saves, which run without one.
    static std::string progressText(DemoOperation operation);

    /// Status-bar text after `operation` ended with `status`; empty when the bar stays as it is.
    static std::string statusBarText(DemoOperation operation, std::int32_t status);

    /// Start-up status-bar text: whether this computer has hardware of its own.
    static std::string startUpStatusText(bool localHardwarePresent);

    // A driver configuration file the start-up could not use (the built-in defaults are in
    // use instead) and the save that kept it aside.
    static constexpr const char* kConfigurationTitle = "Driver Configuration";
    /// One line for the status bar and the command line.
    static std::string configurationFallbackLine(const std::string& path, const std::string& reason);
    /// The start-up notification.
    static std::string configurationFallbackNotice(const std::string& path, const std::string& reason);
    /// After the save that kept the unusable file as `kept`.
    static std::string configurationKeptNotice(const std::string& path, const std::string& kept);

    // Questions before an edit that loses something, and the undo.
    static std::string removeEnclosureQuestion(std::int32_t number, const std::string& name, std::size_t boards);
    static std::string replaceBoardQuestion(const std::string& slot, const std::string& board,
                                            const std::string& model);
    /// Before "Use Selected System as Demo": `source` names the system copied ("the local
    /// hardware", a network node).
    static std::string replaceDemoSystemQuestion(std::size_t enclosures, std::size_t boards,
                                                 const std::string& source = kLocalHardwareSource);
    static constexpr const char* kLocalHardwareSource = "the local hardware";
    /// The source of a network node named `name` for replaceDemoSystemQuestion.
    static std::string networkNodeSource(const std::string& name);
    /// Progress text while a network node's enclosures and boards are read.
    static constexpr const char* kReadingNode = "Reading the network node's enclosures and boards.";
    /// A network node not linked to this program cannot describe its enclosures and boards.
    static constexpr const char* kNodeNotLinked =
        "The network node is not linked to this program: its enclosures and boards cannot be read.\n"
        "Choose it again once it is free.";
    static constexpr const char* kQuestionTitle = "Demo System";
    static constexpr const char* kUndone = "Demo edit undone.";
};

} // namespace z2e
