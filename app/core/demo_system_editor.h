#pragma once
// Editing of the demo (simulated) system: the tree below the system model's demo root and the
// Simulation section of the driver configuration that mirrors it.
//
// Edits change the tree in memory; the configuration document follows it when the
// configuration is saved (saveConfiguration), and the file on disk changes only then. Every
// operation returns a DemoStatus code and leaves tree and document consistent when it fails:
// an import or a load that fails changes neither.
//
// Threads: each operation may run on a worker thread (the window runs the long ones behind its
// progress dialog, texts in DemoTexts). One operation at a time, and nobody reads the demo
// tree or the configuration while it runs. Nodes handed to an operation must be nodes of the
// system model's demo tree. What stays valid afterwards:
// - addEnclosure appends one enclosure node; nothing else moves;
// - changeEnclosureType and putBoard keep the node itself but replace all its children;
// - removeBoard keeps the slot and replaces its children;
// - removeEnclosure destroys that enclosure (and its subtree);
// - importLocalHardware and loadDemoFile replace every node below the demo root (on success);
// - undo replaces every node below the demo root.
//
// Undo: every operation that changes the demo system keeps the demo tree and the configuration
// document as they were before; undo puts them back (one level).

#include "config/driver_log_settings.h"
#include "core/demo_status.h"
#include "core/model_picker.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace z2e {

class EnclosureNode;
class ModelNode;
class ModelPickerItem;
class QorinCfgHandler;
class QorinNodeUtilWrapper;
class RootNode;
class SlotNode;
class SystemModel;

class DemoSystemEditor {
public:
    /// Edits the demo system of `system`, which must outlive the editor. Keep one editor per
    /// system model: it holds the unsaved-changes flag of the demo system.
    explicit DemoSystemEditor(SystemModel& system);
    ~DemoSystemEditor();

    DemoSystemEditor(const DemoSystemEditor&) = delete;
    DemoSystemEditor& operator=(const DemoSystemEditor&) = delete;

    // ---- The "Add" and "Remove" buttons ----

    /// Does what "Add" does for `node` of the demo tree: a system root gets a new enclosure of
    /// the entry's type, an enclosure changes to that type, a slot takes the entry's board
    /// model. NotEditable for a node outside the demo system or of another kind.
    std::int32_t add(ModelNode& node, const ModelPickerItem& entry);
    /// Does what "Remove" does: an enclosure is removed (the rest renumbered), a slot is
    /// emptied. NotEditable for a node outside the demo system or of another kind.
    std::int32_t remove(ModelNode& node);
    /// Progress text for add/remove on a node of that type; empty when nothing would be done.
    static std::string addProgressText(std::uint32_t nodeType);
    static std::string removeProgressText(std::uint32_t nodeType);

    // ---- Single edits ----

    /// Appends an enclosure of the entry's type, numbered by the enclosure count, and has the
    /// driver describe it. The parser's or the driver's status; on failure the enclosure stays
    /// in the tree under the entry's name, without slots. `added` receives the new node.
    std::int32_t addEnclosure(const ModelPickerItem& entry, EnclosureNode** added = nullptr);
    /// Turns `enclosure` into an empty enclosure of the entry's type (its boards go).
    std::int32_t changeEnclosureType(EnclosureNode& enclosure, const ModelPickerItem& entry);
    /// Puts the entry's board model into `slot` (replacing a board there) and has the driver
    /// describe it: 204 model refused, 200/201/202 description, configuration or firmware
    /// not readable, 1000 description unusable. On failure the slot shows the model name.
    std::int32_t putBoard(SlotNode& slot, const ModelPickerItem& entry);
    /// Empties `slot`.
    std::int32_t removeBoard(SlotNode& slot);
    /// Removes the enclosure numbered `enclosureNumber` and renumbers the rest 0, 1, 2, ...
    std::int32_t removeEnclosure(std::int32_t enclosureNumber);

    // ---- Whole systems and files ----

    /// Whether "Use Selected System as Demo" has anything to copy (hardware of this computer).
    bool canImportLocalHardware() const;
    /// Makes the demo system a copy of the local hardware tree, each element described anew
    /// by the driver. NoHardwareToImport without hardware; 500 when an element cannot be
    /// described (nothing changed then); success without a change when the local tree has no
    /// enclosure.
    std::int32_t importLocalHardware();
    /// Fills `hardware` (a root of any system kind) with the enclosures and boards of the
    /// connected network node behind `node`, as the window reads this computer's hardware. No
    /// Qt, no demo state: may run on a worker while the demo tree is shown. 500 when the node
    /// does not answer, NoHardwareToImport when it names no enclosure; `detail` says which
    /// (lastError() is not touched).
    static std::int32_t readNodeHardware(QorinNodeUtilWrapper& node, RootNode& hardware, std::string& detail);
    /// As importLocalHardware() for a hardware tree read elsewhere (readNodeHardware()).
    std::int32_t importHardware(const RootNode& hardware);
    /// Replaces the Simulation section by the demo file's content and rebuilds the demo tree
    /// from it. 501 when the file cannot be read, is no XML, or names elements the driver
    /// cannot describe; tree and configuration are then unchanged and lastError names the
    /// file and the reason (line and column for XML errors). With `acceptConfiguration` a full
    /// driver configuration gives its simulated enclosures and boards instead.
    std::int32_t loadDemoFile(const std::string& path, bool acceptConfiguration = false);
    /// Writes the demo tree as a demo file. DemoFileNotSaved when it cannot be written (an
    /// existing file of that name stays as it was); DemoFileRefused when something stands
    /// there that is not replaced (an existing file without `replace`, a device, FIFO, folder,
    /// link, or the program's own data; lastError() says what). The unsaved-changes flag stays.
    std::int32_t saveDemoFile(const std::string& path, bool replace = false);
    /// Writes the local hardware tree as a demo file; the configuration in memory keeps the
    /// demo system. As saveDemoFile otherwise.
    std::int32_t saveLocalSystemFile(const std::string& path, bool replace = false);
    /// Writes the driver log settings and the demo tree into the configuration and saves it
    /// to `path` (empty: the driver's configuration file). `windowSettings`, when given, are
    /// the log settings the logging dialog holds: their file name, level, type and append
    /// value are taken over first. Clears both unsaved-changes flags on success;
    /// ConfigurationNotSaved (the file on disk intact, flags kept) when it cannot be written.
    std::int32_t saveConfiguration(const DriverLogSettings* windowSettings = nullptr,
                                   const std::string& path = std::string());

    // ---- Undo ----

    /// Whether there is an edit to take back: the last add, remove, import, load or channel
    /// module change.
    bool canUndo() const { return m_undo != nullptr; }
    /// Puts the demo tree and the configuration in memory back as they were before the last
    /// edit, with the unsaved-changes flags; when that edit had been saved since, the flag is
    /// set, and the next save writes the earlier system again. One level: nothing is left to
    /// undo afterwards. NothingToUndo when there is nothing.
    std::int32_t undo();
    /// Keeps the demo system as it is now for undo, for a change made outside the editor
    /// (replacing what undo would have taken back).
    void keepForUndo();

    // ---- State ----

    /// True after an edit, import or load until the configuration is saved; also true while
    /// the system model's own flag is set.
    bool hasUnsavedChanges() const;
    /// Sets or clears the demo system's flag (the system model's own flag is left alone).
    void setUnsavedChanges(bool unsaved) { m_unsaved = unsaved; }
    /// Whether closing should ask to save: unsaved changes, or log settings in
    /// `windowSettings` (file name, level, type, append) that differ from the configuration.
    bool needsSaveOnClose(const DriverLogSettings& windowSettings) const;
    /// Folder of the configuration file with "/" separators: where demo file dialogs start.
    std::string configFolder() const;
    /// Detail of the last failure (a path, a reason); empty after a success.
    const std::string& lastError() const { return m_lastError; }

    /// The model list for the picker (see ModelPicker::fill).
    ModelPicker& picker() { return m_picker; }
    /// Fills the picker with the list a selected node of `nodeType` calls for (ModelPicker::fill
    /// through the system model's driver wrapper).
    std::int32_t fillPicker(std::uint32_t nodeType);

    // ---- Lookups for the command line and the window ----

    /// Demo enclosure numbered `number`, or null.
    EnclosureNode* enclosureAt(std::int32_t number) const;
    /// Slot of a demo enclosure by the slot number shown ("Slot 3"), or null.
    SlotNode* slotAt(std::int32_t enclosureNumber, std::int32_t slotNumber) const;
    /// The slot after `slot` in its enclosure, or null for the last one.
    static SlotNode* nextSlot(const SlotNode& slot);
    /// Boards in the slots of `enclosure`.
    static std::size_t boardCount(const EnclosureNode& enclosure);
    /// Enclosures below `root` and the boards in their slots.
    struct SystemSize {
        std::size_t enclosures = 0;
        std::size_t boards = 0;
    };
    static SystemSize sizeOf(const RootNode& root);

private:
    struct UndoStep;

    std::unique_ptr<UndoStep> snapshot() const;
    /// An operation is about to change the demo system: what undo would bring back.
    void beginEdit();
    void keepLocationRowsTrue();
    std::int32_t describeEnclosure(EnclosureNode& enclosure, const std::string& fragment,
                                   const std::string& encNameText);
    std::int32_t describeBoard(SlotNode& slot, const std::string& fragment);
    std::int32_t buildFromConfiguration(QorinCfgHandler& config, RootNode& root);
    std::int32_t finish(std::int32_t status, bool changed);
    void adoptTree(RootNode& from);
    void refreshOverview();
    std::int32_t fail(std::int32_t status, const std::string& detail);
    std::int32_t saveTreeToFile(const RootNode& root, const std::string& path, bool scratch, bool replace);

    SystemModel& m_system;
    ModelPicker m_picker;
    std::atomic<bool> m_unsaved{false};
    std::string m_lastError;
    std::unique_ptr<UndoStep> m_pending;
    std::unique_ptr<UndoStep> m_undo;
};

} // namespace z2e
