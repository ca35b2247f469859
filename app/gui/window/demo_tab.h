#pragma once
// The "Demo" tab: the demo tree, the model picker with its filter, and the demo operations of
// the buttons and the "Demo" menu. Every operation that asks the driver runs on a worker behind
// the progress window; the tree view is emptied while it runs, because the worker replaces the
// nodes the view would read.

#include "config/driver_log_settings.h"
#include "core/model_picker.h"
#include "gui/window/file_chooser.h"

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QTreeView;
class QWidget;

namespace z2e {

enum class DemoOperation;
class CListViewModel;
class CTreeViewModel;
class DemoSystemEditor;
class ModelNode;
class RootNode;
class SystemModel;

/// The widgets of the tab, owned by the window's form.
struct DemoTabWidgets {
    QTreeView* tree = nullptr;
    QListView* models = nullptr;
    QLineEdit* filter = nullptr;
    QPushButton* add = nullptr;    ///< enabled only for a picker entry
    QPushButton* remove = nullptr; ///< enabled only for a row that Remove acts on
    QAction* undo = nullptr;       ///< the menu entry "Undo"; the tab triggers and enables it
    QAction* loadDemo = nullptr;   ///< the "Demo" menu's entries the tab carries out
    QAction* saveDemo = nullptr;
    QAction* saveLocalSystem = nullptr;
};

class DemoTab : public QObject {
    Q_OBJECT

public:
    /// `window` parents the dialogs and the progress windows; everything given must outlive the
    /// tab.
    DemoTab(QWidget* window, SystemModel& system, DemoSystemEditor& editor, CTreeViewModel& treeModel,
            const DemoTabWidgets& widgets);
    ~DemoTab() override;

    /// The model listings read at start-up (ModelPicker::loadListings); a kind the driver did
    /// not give shows an empty list.
    void useListings(ModelPicker::Listings listings) { m_listings = std::move(listings); }
    /// Rebuilds the tree from the demo root, expanded to depth 1, and shows the picker of the
    /// current row.
    void showSystem();

    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    // The operations behind the tab's buttons and the "Demo" menu. Edits that lose boards or
    // the demo system ask first.
    void add();
    void remove();
    /// Takes back the last demo edit (see DemoSystemEditor::undo).
    void undo();
    /// "Use Selected System as Demo" with this computer's hardware.
    void importLocalHardware();
    /// "Use Selected System as Demo" with a system read elsewhere: asks the question the local
    /// import asks (naming `source`), then `read` fills a hardware tree (false: it could not,
    /// and has told why; the demo system stays) and the demo system becomes a copy of it.
    void importHardware(const std::string& source, const std::function<bool(RootNode& hardware)>& read);
    /// The question asked before the demo system becomes a copy of `source`; empty when the
    /// demo system holds no enclosure, and nothing is asked.
    std::string replaceQuestion(const std::string& source) const;
    void loadDemo();
    void saveDemo();
    void saveLocalSystem();
    /// Saves the configuration with the log settings the window holds (null: those loaded).
    /// False when it could not be written.
    bool saveConfiguration(const DriverLogSettings* windowLogSettings);
    /// When the start-up could not use the driver configuration file: says so in the status
    /// bar and in one notification, with the reason and the file's path.
    void tellConfigurationProblem();

    /// Shows the picker list for the row at `index`.
    void selectRow(const QModelIndex& index);
    void setFilter(const QString& filter);

    /// The picker entry under the list's current row, or null.
    const ModelPickerItem* currentEntry() const;
    /// The node of the tree's current row, or null.
    ModelNode* currentNode() const;
    /// Kind of list the picker shows (PickerKind), 0 for none.
    std::uint32_t pickerKind() const { return m_kind; }
    /// Names the picker shows, in order.
    const QStringList& pickerTexts() const { return m_texts; }

signals:
    /// A text for the window's status bar.
    void statusText(const QString& text);

private:
    void connectWidgets();
    /// Enables Remove and Undo for the current row and the editor's state.
    void updateActions();
    /// A yes/no question over the window; true for yes.
    bool confirm(const std::string& question);
    /// Whether the demo system may be replaced by a copy of `source`: asked when it holds an
    /// enclosure.
    bool mayReplaceDemoSystem(const std::string& source);
    /// Runs `import` behind the progress window and tells the outcome.
    void runImport(const std::function<std::int32_t()>& import);
    /// Runs `operation` on a worker behind the progress window showing `text`; the tree is
    /// rebuilt afterwards.
    std::int32_t runEdit(const std::string& text, std::function<std::int32_t()> operation);
    void selectNode(const ModelNode* node, bool collapse);
    void showPicker(std::uint32_t kind);
    /// Asks for a file and runs `save` with its path.
    void saveToFile(DemoOperation operation, const std::function<std::int32_t(const std::string& path)>& save);
    /// Puts the operation's text in the status bar; true when it succeeded.
    bool showOutcome(DemoOperation operation, std::int32_t status);
    void reportFailure(std::int32_t status);
    QString askFile(bool save, const char* title);

    QWidget* m_window;
    SystemModel& m_system;
    DemoSystemEditor& m_editor;
    CTreeViewModel& m_treeModel;
    DemoTabWidgets m_widgets;
    CListViewModel* m_listModel;
    FileChooser m_chooser;

    ModelPicker::Listings m_listings;
    std::uint32_t m_kind = 0;
    QString m_filter;
    std::vector<const ModelPickerItem*> m_shown;
    QStringList m_texts;
};

} // namespace z2e
