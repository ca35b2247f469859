#include "gui/window/demo_tab.h"
#include "gui/window/system_change_lock.h"

#include "core/demo_status.h"
#include "driver/command/app_status.h"
#include "core/demo_system_editor.h"
#include "core/demo_texts.h"
#include "core/enclosure_node.h"
#include "core/node_types.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/models/list_view_model.h"
#include "gui/models/tree_view_model.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeView>

namespace z2e {

DemoTab::DemoTab(QWidget* window, SystemModel& system, DemoSystemEditor& editor, CTreeViewModel& treeModel,
                 const DemoTabWidgets& widgets)
    : QObject(window), m_window(window), m_system(system), m_editor(editor), m_treeModel(treeModel), m_widgets(widgets),
      m_listModel(new CListViewModel(&m_texts, this)), m_chooser(chooseFileWithDialog)
{
    m_widgets.tree->setModel(&m_treeModel);
    m_widgets.models->setModel(m_listModel);
    connect(m_widgets.tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &DemoTab::updateActions);
    connectWidgets();
    updateActions();
}

void DemoTab::connectWidgets()
{
    const DemoTabWidgets& w = m_widgets;
    connect(w.tree, &QTreeView::clicked, this, &DemoTab::selectRow);
    connect(w.filter, &QLineEdit::textChanged, this, &DemoTab::setFilter);
    connect(w.models, &QListView::doubleClicked, this, &DemoTab::add);
    if (w.add) {
        connect(w.models, &QListView::clicked, this, [this] { m_widgets.add->setEnabled(currentEntry()); });
        connect(w.add, &QPushButton::clicked, this, &DemoTab::add);
    }
    if (w.remove)
        connect(w.remove, &QPushButton::clicked, this, &DemoTab::remove);
    const std::pair<QAction*, void (DemoTab::*)()> entries[] = {{w.undo, &DemoTab::undo},
                                                                {w.loadDemo, &DemoTab::loadDemo},
                                                                {w.saveDemo, &DemoTab::saveDemo},
                                                                {w.saveLocalSystem, &DemoTab::saveLocalSystem}};
    for (const auto& [action, operation] : entries) {
        if (action)
            connect(action, &QAction::triggered, this, operation);
    }
}

DemoTab::~DemoTab() = default;

void DemoTab::showSystem()
{
    m_treeModel.rebuild(m_system, CTreeViewModel::DemoSystem);
    m_widgets.tree->expandToDepth(1);
    selectNode(currentNode() ? currentNode() : &m_system.demoRoot(), false);
    updateActions();
}

void DemoTab::updateActions()
{
    const ModelNode* node = currentNode();
    const bool removable =
        node && node->systemKind == SystemKind::Demo && !DemoSystemEditor::removeProgressText(node->nodeType).empty();
    if (m_widgets.remove)
        m_widgets.remove->setEnabled(removable);
    if (m_widgets.undo)
        m_widgets.undo->setEnabled(m_editor.canUndo());
}

bool DemoTab::confirm(const std::string& question)
{
    return CMiscUtils::askYesNo(DemoTexts::kQuestionTitle, QString::fromStdString(question), m_window) == 3;
}

ModelNode* DemoTab::currentNode() const
{
    // The model only shows the nodes; they belong to the system model this tab edits.
    return const_cast<ModelNode*>(m_treeModel.nodeAt(m_widgets.tree->currentIndex()));
}

const ModelPickerItem* DemoTab::currentEntry() const
{
    const int row = m_widgets.models->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(m_shown.size()))
        return nullptr;
    return m_shown[static_cast<std::size_t>(row)];
}

void DemoTab::selectNode(const ModelNode* node, bool collapse)
{
    const QModelIndex index = m_treeModel.indexOf(node);
    if (!index.isValid()) {
        showPicker(0);
        return;
    }
    m_widgets.tree->setCurrentIndex(index);
    m_widgets.tree->scrollTo(index);
    if (collapse)
        m_widgets.tree->collapse(index);
    showPicker(ModelPicker::listKindFor(node->nodeType));
}

void DemoTab::selectRow(const QModelIndex& index)
{
    const ModelNode* node = m_treeModel.nodeAt(index);
    showPicker(node ? ModelPicker::listKindFor(node->nodeType) : 0);
}

void DemoTab::setFilter(const QString& filter)
{
    m_filter = filter;
    showPicker(m_kind);
}

void DemoTab::showPicker(std::uint32_t kind)
{
    const ModelPickerItem* previous = kind == m_kind ? currentEntry() : nullptr;
    m_kind = kind;
    m_shown.clear();
    m_texts.clear();
    const auto listing = m_listings.find(kind);
    if (listing != m_listings.end()) {
        const std::string filter = m_filter.trimmed().toLower().toStdString();
        for (const auto& item : listing->second) {
            if (!QString::fromStdString(item->name).toLower().contains(QString::fromStdString(filter)))
                continue;
            m_shown.push_back(item.get());
            m_texts << QString::fromStdString(item->name);
        }
    }
    m_listModel->refresh();
    int row = 0;
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        if (m_shown[i] == previous)
            row = static_cast<int>(i);
    }
    if (!m_shown.empty())
        m_widgets.models->setCurrentIndex(m_listModel->index(row));
}

std::int32_t DemoTab::runEdit(const std::string& text, std::function<std::int32_t()> operation)
{
    const auto lock = SystemChangeLock::take(SystemLock::localSystem(), "editing the demo system",
                                             DemoTexts::kProgressTitle, m_window);
    if (!lock)
        return AppStatus::Cancelled;
    m_treeModel.clear();
    const std::int32_t status =
        CMiscUtils::runBehindProgress(DemoTexts::kProgressTitle, QString::fromStdString(text), m_window,
                                      [operation](CInProgress&) { return operation(); });
    m_treeModel.rebuild(m_system, CTreeViewModel::DemoSystem);
    m_widgets.tree->expandToDepth(1);
    updateActions();
    return status;
}

void DemoTab::reportFailure(std::int32_t status)
{
    if (status == AppStatus::Cancelled)
        return; // the wait for another program's edit was given up, and said so
    QString text = QString::fromStdString(demoStatusText(status));
    if (!m_editor.lastError().empty())
        text += "\n" + QString::fromStdString(m_editor.lastError());
    CMiscUtils::notify(DemoTexts::kNotificationTitle, text, m_window);
}

void DemoTab::add()
{
    ModelNode* node = currentNode();
    if (!node) {
        m_widgets.tree->setCurrentIndex(m_treeModel.index(0, 0));
        node = currentNode();
    }
    const ModelPickerItem* entry = currentEntry();
    if (!node || node->systemKind != SystemKind::Demo || !entry ||
        entry->kind != ModelPicker::listKindFor(node->nodeType))
        return;
    const std::string text = DemoSystemEditor::addProgressText(node->nodeType);
    if (text.empty())
        return;
    if (node->nodeType == NodeType::BoardSlot) {
        const auto* enclosure = static_cast<const EnclosureNode*>(node->parent());
        const std::string slotText = "Slot " + std::to_string(enclosure->slotNumber(node->index)) + " of enclosure " +
                                     std::to_string(enclosure->number);
        if (!confirm(DemoTexts::replaceBoardQuestion(slotText, node->firstValue(), entry->name)))
            return;
    }

    const bool slot = node->nodeType == NodeType::BoardSlot || node->nodeType == NodeType::EmptySlot;
    const std::int32_t status = runEdit(text, [this, node, entry] { return m_editor.add(*node, *entry); });
    const ModelNode* next = slot ? DemoSystemEditor::nextSlot(static_cast<const SlotNode&>(*node)) : nullptr;
    selectNode(node, node->nodeType != NodeType::Root);
    if (next)
        selectNode(next, false);
    if (status != DemoStatus::Ok)
        reportFailure(status);
}

void DemoTab::remove()
{
    ModelNode* node = currentNode();
    if (!node || node->systemKind != SystemKind::Demo)
        return;
    const std::string text = DemoSystemEditor::removeProgressText(node->nodeType);
    if (text.empty())
        return;
    if (node->nodeType == NodeType::Enclosure) {
        const std::size_t boards = DemoSystemEditor::boardCount(static_cast<const EnclosureNode&>(*node));
        if (boards > 0 && !confirm(DemoTexts::removeEnclosureQuestion(node->number, node->firstValue(), boards)))
            return;
    }

    const ModelNode* parent = node->parent();
    const ModelNode* neighbour = nullptr;
    if (node->nodeType == NodeType::BoardSlot) {
        neighbour = DemoSystemEditor::nextSlot(static_cast<const SlotNode&>(*node));
        if (!neighbour)
            neighbour = node;
    }
    const std::int32_t status = runEdit(text, [this, node] { return m_editor.remove(*node); });
    selectNode(neighbour ? neighbour : parent, false);
    if (status != DemoStatus::Ok)
        reportFailure(status);
}

void DemoTab::importLocalHardware()
{
    if (!m_editor.canImportLocalHardware()) {
        CMiscUtils::notify(DemoTexts::kNotificationTitle, DemoTexts::kNoHardwareToImport, m_window);
        return;
    }
    if (mayReplaceDemoSystem(DemoTexts::kLocalHardwareSource))
        runImport([this] { return m_editor.importLocalHardware(); });
}

void DemoTab::importHardware(const std::string& source, const std::function<bool(RootNode& hardware)>& read)
{
    if (!mayReplaceDemoSystem(source))
        return;
    RootNode hardware(SystemKind::Remote);
    if (read(hardware))
        runImport([this, &hardware] { return m_editor.importHardware(hardware); });
}

bool DemoTab::mayReplaceDemoSystem(const std::string& source)
{
    const std::string question = replaceQuestion(source);
    return question.empty() || confirm(question);
}

std::string DemoTab::replaceQuestion(const std::string& source) const
{
    const DemoSystemEditor::SystemSize demo = DemoSystemEditor::sizeOf(m_system.demoRoot());
    return demo.enclosures == 0 ? std::string()
                                : DemoTexts::replaceDemoSystemQuestion(demo.enclosures, demo.boards, source);
}

void DemoTab::runImport(const std::function<std::int32_t()>& import)
{
    const std::int32_t status = runEdit(DemoTexts::kImportingHardware, import);
    selectNode(&m_system.demoRoot(), false);
    if (!showOutcome(DemoOperation::ImportHardware, status))
        reportFailure(DemoStatus::HardwareImportFailed);
}

void DemoTab::undo()
{
    if (!m_editor.canUndo())
        return;
    m_treeModel.clear();
    const std::int32_t status = m_editor.undo();
    m_treeModel.rebuild(m_system, CTreeViewModel::DemoSystem);
    m_widgets.tree->expandToDepth(1);
    selectNode(&m_system.demoRoot(), false);
    updateActions();
    if (status == DemoStatus::Ok)
        emit statusText(DemoTexts::kUndone);
    else
        reportFailure(status);
}

QString DemoTab::askFile(bool save, const char* title)
{
    const FileRequest request{save, title, QString::fromStdString(m_editor.configFolder()), DemoTexts::kFileFilter};
    return m_chooser ? m_chooser(m_window, request) : QString();
}

void DemoTab::loadDemo()
{
    const QString path = askFile(false, DemoTexts::kLoadDialogTitle);
    if (path.isEmpty())
        return;
    const std::string file = path.toStdString();
    const std::int32_t status =
        runEdit(DemoTexts::kLoadingSimulation, [this, file] { return m_editor.loadDemoFile(file); });
    selectNode(&m_system.demoRoot(), false);
    if (!showOutcome(DemoOperation::LoadDemo, status))
        reportFailure(DemoStatus::SimulationLoadFailed);
}

void DemoTab::saveDemo()
{
    // The save dialog has asked before an existing file is replaced.
    saveToFile(DemoOperation::SaveDemo, [this](const std::string& path) { return m_editor.saveDemoFile(path, true); });
}

void DemoTab::saveLocalSystem()
{
    saveToFile(DemoOperation::SaveSystem,
               [this](const std::string& path) { return m_editor.saveLocalSystemFile(path, true); });
}

void DemoTab::saveToFile(DemoOperation operation, const std::function<std::int32_t(const std::string& path)>& save)
{
    const QString path = askFile(true, DemoTexts::kSaveDialogTitle);
    if (path.isEmpty())
        return;
    const std::int32_t status = save(path.toStdString());
    if (!showOutcome(operation, status))
        reportFailure(status);
}

bool DemoTab::saveConfiguration(const DriverLogSettings* windowLogSettings)
{
    const auto lock = SystemChangeLock::take(SystemLock::localSystem(), "saving the driver configuration",
                                             DemoTexts::kConfigurationTitle, m_window);
    if (!lock)
        return false;
    const std::string keptBefore = m_system.keptConfigurationFile();
    const std::int32_t status = m_editor.saveConfiguration(windowLogSettings);
    updateActions();
    if (!showOutcome(DemoOperation::SaveConfiguration, status)) {
        reportFailure(status);
        return false;
    }
    const std::string& kept = m_system.keptConfigurationFile();
    if (kept != keptBefore && !kept.empty())
        CMiscUtils::notify(DemoTexts::kConfigurationTitle,
                           QString::fromStdString(DemoTexts::configurationKeptNotice(m_system.configFilePath(), kept)),
                           m_window);
    return true;
}

void DemoTab::tellConfigurationProblem()
{
    const std::string& reason = m_system.configurationProblem();
    if (reason.empty())
        return;
    const std::string& path = m_system.configFilePath();
    emit statusText(QString::fromStdString(DemoTexts::configurationFallbackLine(path, reason)));
    CMiscUtils::notify(DemoTexts::kConfigurationTitle,
                       QString::fromStdString(DemoTexts::configurationFallbackNotice(path, reason)), m_window);
}

bool DemoTab::showOutcome(DemoOperation operation, std::int32_t status)
{
    const std::string bar = DemoTexts::statusBarText(operation, status);
    if (!bar.empty())
        emit statusText(QString::fromStdString(bar));
    return status == DemoStatus::Ok;
}

} // namespace z2e
