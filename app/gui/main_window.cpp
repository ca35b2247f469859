#include "gui/main_window.h"

#include "ui_main_window.h"

#include "core/demo_system_editor.h"
#include "core/demo_texts.h"
#include "core/hardware_holder.h"
#include "core/root_node.h"
#include "core/selected_network_node.h"
#include "core/system_model.h"
#include "tools/maintenance_journal.h"
#include "tools/record_author.h"
#include "tools/site_uploader.h"
#include "crash/crash_monitor.h"
#include "gui/crash_screenshot.h"
#include "gui/lazy_icon_engine.h"
#include "gui/dialogs/auxiliary/decision_dialog.h"
#include "gui/dialogs/auxiliary/dialog_logging.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/auxiliary/user_guide_dialog.h"
#include "gui/gui_resources.h"
#include "gui/models/elided_row_tips.h"
#include "gui/models/node_list_delegate.h"
#include "gui/models/tree_filter_model.h"
#include "gui/models/tree_icon_table.h"
#include "gui/models/tree_view_model.h"
#include "gui/window/board_change_tools.h"
#include "gui/window/demo_tab.h"
#include "gui/window/tool_actions.h"
#include "gui/window/tree_actions.h"
#include "gui/window/tree_filter_panel.h"
#include "gui/window/network_node_controller.h"
#include "gui/window/form_actions.h"
#include "gui/window/maintenance_menu.h"
#include "gui/window/fleet_panel.h"
#include "gui/window/problems_panel.h"
#include "gui/window/report_collection.h"
#include "gui/window/system_dialogs.h"
#include "gui/window/system_list.h"
#include "gui/window/system_status_line.h"
#include "gui/window/window_pictures.h"
#include "gui/window/worker_job.h"
#include "uni/log.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>

namespace z2e {
namespace {

const char* const kLogChannel = "gui";
const char* const kSystemTitle = "System";
constexpr int kHardwareTab = 0;
constexpr int kDemoTab = 1;
constexpr int kFirstScreenshotDelayMs = 1000;
// A start-up quicker than this shows no progress window: it would only flash.
constexpr int kStartupProgressDelayMs = 300;

} // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(MainWindowOptions(), parent) {}

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_options(std::move(options)),
      m_settings(WindowSettings::kOrganisation, WindowSettings::kApplication), m_chooser(chooseFileWithDialog),
      m_toolTargets(MaintenanceJournal::defaultFolder(), WindowSettings::maintenanceSnapshots(m_settings))
{
    m_selected = std::make_unique<SelectedNetworkNode>();
    // On a thread of its own: a server that is away never slows the window or a tool.
    if (const std::string site = WindowSettings::siteRegister(m_settings); !site.empty())
        m_siteUploader = std::make_unique<SiteUploader>(AssetRegister::defaultFolder(), site, RecordAuthor::computer());
    // The scan runs while the window is built.
    const bool extended = WindowSettings::extendedFeatures(m_settings);
    m_system = m_options.systemFactory ? m_options.systemFactory(extended) : std::make_unique<SystemModel>(extended);
    m_startupScan.start(*m_system);
    initGuiResources();
    m_ui->setupUi(this);
    setWindowTitle("ZAMO2Explorer");
    setWindowIcon(LazyIconEngine::fromFile(":/icons/res/norvale-logo.ico"));
    QApplication::setApplicationName("ZAMO2Explorer");
    setUpActions();

    m_icons = std::make_unique<TreeIconTable>();
    m_demoModel = new CTreeViewModel(*m_icons, this);
    m_localModel = new CTreeViewModel(*m_icons, this);
    m_remoteModel = new CTreeViewModel(*m_icons, this);
    m_ui->treeHardware->setModel(m_localModel);
    m_treePanel = new CTreeFilterPanel(m_ui->treeHardware, m_ui->splitterHardware);
    ElidedRowTips::install(m_ui->treeHardware);
    ElidedRowTips::install(m_ui->treeDemo);
    m_ui->listSystems->setItemDelegate(new NodeListDelegate(m_ui->listSystems));
    m_systemList = std::make_unique<SystemList>(m_ui->listSystems);
    m_systemList->followLocalTree(*m_localModel);
    m_status = std::make_unique<SystemStatusLine>(statusBar());
    // Wide enough for a network entry with its sync labels.
    m_ui->splitterHardware->setSizes({360, 640});
    m_ui->splitterDemo->setSizes({640, 360});

    const Ui::MainWindow& ui = *m_ui;
    const NetworkNodeController::Views nodeViews{
        this,
        ui.listSystems,
        ui.treeHardware,
        m_systemList.get(),
        m_status.get(),
        m_treePanel,
        m_localModel,
        m_remoteModel,
        ui.actionNetSettings,
        ui.actionAddNodeByAddress,
        ui.actionNodeOptions,
        ui.actionDiagnose,
        {ui.actionChangeNodeIp, ui.actionRestartNode, ui.actionRebootNode, ui.actionRenameNode, ui.actionUpdateNode}};
    m_nodes =
        std::make_unique<NetworkNodeController>(nodeViews, m_settings, m_options.network, *m_selected, m_nodeRecords);
    const bool placed = m_settings.contains("MainWindow/geometry");
    WindowSettings::restoreLayout(m_settings, *this);
    if (!placed && QApplication::primaryScreen())
        move(QApplication::primaryScreen()->availableGeometry().center() - rect().center());
    TreeActions::Host trees;
    trees.currentRow = [this] {
        return m_ui->tabWidget->currentIndex() == kDemoTab ? m_ui->treeDemo->currentIndex()
                                                           : m_treePanel->currentSourceIndex();
    };
    trees.find = [this] {
        m_ui->tabWidget->setCurrentIndex(kHardwareTab);
        m_treePanel->focusField();
    };
    trees.refresh = [this] { m_nodes->refreshShown(); };
    trees.shownRoot = [this]() -> const ModelNode* {
        if (!m_system)
            return nullptr;
        if (m_ui->tabWidget->currentIndex() == kDemoTab)
            return &m_system->demoRoot();
        return m_nodes->remoteShown() ? &m_system->remoteRoot() : &m_system->localRoot();
    };
    trees.choose = [this](const FileRequest& request) { return m_chooser(this, request); };
    trees.status = [this](const QString& text) { showStatus(text); };
    m_treeActions = new TreeActions(this, m_ui->menuHelp->menuAction(), std::move(trees));
    setUpToolActions();
    setUpMaintenanceMenu();
    setUpPanels();
    connectWidgets();
}

MainWindow::~MainWindow()
{
    m_startupScan.wait();
    // No thread outlives the window: the node lets go of its client, then pump and client stop.
    m_nodes->stop();
    // The models show nodes of the system model: they go first.
    delete m_demoTab;
    m_demoTab = nullptr;
    m_demoModel->clear();
    m_localModel->clear();
    m_remoteModel->clear();
    if (m_options.crashReporting)
        crash_monitor::CrashMonitor::uninstall();
}

void MainWindow::setUpActions()
{
    // Menu icons are read when a menu first opens.
    m_ui->actionExit->setIcon(LazyIconEngine::fromStyle(QStyle::SP_DialogCloseButton));
    m_ui->actionNetSettings->setIcon(LazyIconEngine::fromFile(":/icons/res/settings.png"));
    m_ui->actionNodeOptions->setIcon(LazyIconEngine::fromStyle(QStyle::SP_ComputerIcon));
    m_ui->actionLoggingConfiguration->setIcon(LazyIconEngine::fromFile(":/icons/res/logging.png"));
    m_ui->actionEeprom->setIcon(LazyIconEngine::fromFile(":/icons/res/eeprom.png"));
    m_ui->actionNodeOptions->setVisible(false);
    m_ui->actionAutoRestoreBase->setEnabled(false);
    m_ui->actionAutoRestoreCon->setEnabled(false);
}

void MainWindow::connectWidgets()
{
    Ui::MainWindow& ui = *m_ui;
    connect(ui.tabWidget, &QTabWidget::currentChanged, this, &MainWindow::hdl_TabSelected);
    connect(ui.treeHardware, &QTreeView::clicked, this, &MainWindow::hdl_HWTreeClicked);
    connect(ui.treeDemo, &QWidget::customContextMenuRequested, this, &MainWindow::hdl_TreeContextMenu);
    connect(ui.treeHardware, &QWidget::customContextMenuRequested, this, &MainWindow::hdl_TreeContextMenu);

    connect(ui.actionExit, &QAction::triggered, this, &MainWindow::hdl_FileQuit);
    connect(ui.actionSaveConfiguration, &QAction::triggered, this, &MainWindow::hdl_SaveConfiguration);
    connect(ui.actionUseSelectedAsDemo, &QAction::triggered, this, &MainWindow::hdl_ImportSystem);
    connect(ui.actionAbout, &QAction::triggered, this, &MainWindow::hdl_HelpAbout);
    connect(ui.actionAboutQt, &QAction::triggered, this, &MainWindow::hdl_HelpAboutQt);
    connect(ui.actionSoftwareVersions, &QAction::triggered, this, &MainWindow::hdl_HelpVersions);
    connect(ui.actionUserGuide, &QAction::triggered, this, [this] { UserGuideDialog::showFor(this); });
    connect(ui.actionLoggingConfiguration, &QAction::triggered, this, &MainWindow::hdl_HardwareLogging);
    connect(ui.actionShowSystemReport, &QAction::triggered, this, &MainWindow::hdl_ShowSystemReport);
    connect(ui.actionSaveSystemReport, &QAction::triggered, this, &MainWindow::hdl_SaveSystemReport);
    for (MenuEntry entry : {MenuEntry::BackupBase, MenuEntry::BackupPanel, MenuEntry::FileRestoreBase,
                            MenuEntry::FileRestorePanel, MenuEntry::AutoRestoreBase, MenuEntry::AutoRestoreCon})
        connect(actionFor(entry), &QAction::triggered, m_toolActions, [this, entry] { m_toolActions->run(entry); });
    connect(ui.actionUpdateTemperatures, &QAction::triggered, this, [this] {
        m_nodes->updateTemperatures(CTreeFilterModel::sourceOf(
            m_menuIndex.isValid() ? QModelIndex(m_menuIndex) : m_ui->treeHardware->currentIndex()));
    });
}

// ---- Start-up ----

bool MainWindow::init()
{
    // The first picture waits for the filled window: more use in a report, and start-up does not
    // wait for a PNG to be written.
    if (m_options.crashReporting)
        CrashScreenshot::monitor(this, kFirstScreenshotDelayMs);
    m_demoEditor = std::make_unique<DemoSystemEditor>(*m_system);
    m_nodes->attach(*m_system);
    m_demoTab = new DemoTab(this, *m_system, *m_demoEditor, *m_demoModel,
                            {m_ui->treeDemo, m_ui->listModels, m_ui->editFilter, m_ui->btnAdd, m_ui->btnRemove,
                             m_ui->actionUndoDemoEdit, m_ui->actionLoadDemo, m_ui->actionSaveDemo,
                             m_ui->actionSaveSelectedToDemo});
    m_demoTab->setFileChooser(m_chooser);
    connect(m_demoTab, &DemoTab::statusText, this, &MainWindow::showStatus);

    // A scan still running when the window is ready is waited for behind a progress window,
    // shown only when the wait is long.
    if (m_startupScan.ended())
        m_startupStatus = m_startupScan.wait();
    else
        m_startupStatus = WorkerJob(kSystemTitle, "Initializing ZAMO2Explorer.", this)
                              .showAfter(kStartupProgressDelayMs)
                              .run([scanning = &m_startupScan](CInProgress&) { return scanning->wait(); });
    m_demoTab->useListings(m_startupScan.takeListings());
    UNI_LOG(kLogChannel, uni::log::info) << "start-up scan: " << m_startupStatus;

    if (m_startupStatus == AppStatus::HardwareInUse) {
        // Found now: the holder may let go while the operator reads.
        const std::string holder = HardwareHolderLookup::describe(HardwareHolderLookup::find());
        CMiscUtils::notify("Warning",
                           QString::fromStdString(statusMessage(AppStatus::HardwareInUse) + "\r\n\r\n" + holder), this);
    } else if (m_startupStatus == AppStatus::DriverNotFound) {
        CMiscUtils::notifyStatus("Error", AppStatus::DriverNotFound, this);
        return false;
    } else {
        fillViews();
    }
    m_demoTab->tellConfigurationProblem();
    m_startupSucceeded = m_startupStatus == AppStatus::Ok;
    m_logSettings = m_system->logSettings();

    m_pictures = std::make_unique<WindowPictures>(*m_nodes, m_ui->listSystems, *m_treePanel, *m_system, *m_demoTab,
                                                  *m_maintenance);
    m_nodes->start(m_startupSucceeded);
    emit initialized();
    return true;
}

void MainWindow::fillViews()
{
    m_demoTab->showSystem();
    updateHwTreeModel();
    m_ui->tabWidget->setCurrentIndex(kHardwareTab);
    const QString scan = QString::fromStdString(DemoTexts::startUpStatusText(m_system->localHardwarePresent()));
    showStatus(scan);
    m_systemList->setLocalScanState(scan);
    m_systemList->setLocalEntry(SystemList::localSystemName(m_system->localRoot()));
    m_nodes->localEntryShown();
}

void MainWindow::updateHwTreeModel()
{
    m_nodes->rebuildTrees();
}

// ---- Tabs, trees and the tool bar ----

void MainWindow::hdl_TabSelected(int tab)
{
    if (tab == kDemoTab) {
        m_toolActions->showToolBar({});
        m_ui->actionNodeOptions->setVisible(false);
        return;
    }
    m_ui->actionNodeOptions->setVisible(m_nodes->remoteShown() && m_selected->available());
}

RowContext MainWindow::rowContext(bool shift)
{
    RowContext context;
    context.shift = shift;
    // Read at every menu, so the service switch takes effect without a restart. It also turns
    // on the extended mode for network nodes, in which a node held by another client is locked.
    context.extendedFeatures = WindowSettings::extendedFeatures(m_settings);
    context.extendedNetMode = context.extendedFeatures;
    return context;
}

const ModelNode* MainWindow::treeNode(QTreeView*, const QModelIndex& index) const
{
    const QModelIndex row = CTreeFilterModel::sourceOf(index);
    const auto* model = qobject_cast<const CTreeViewModel*>(row.model());
    return model ? model->nodeAt(row) : nullptr;
}

void MainWindow::hdl_HWTreeClicked(const QModelIndex& index)
{
    const ModelNode* node = treeNode(m_ui->treeHardware, index);
    if (node && !node->locked)
        m_toolActions->showToolBar(TreeContextMenu::toolBar(node, rowContext(false)));
}

QAction* MainWindow::actionFor(MenuEntry entry) const
{
    if (QAction* tool = m_toolActions->action(entry))
        return tool;
    return FormActions::of(*m_ui, entry);
}

std::unique_ptr<QMenu> MainWindow::contextMenuFor(QTreeView* view, const QModelIndex& index, bool shift)
{
    const ModelNode* node = treeNode(view, index);
    if (!node)
        return nullptr;
    const RowContext context = rowContext(shift);
    if (node->systemKind != SystemKind::Demo)
        m_toolActions->showToolBar(TreeContextMenu::toolBar(node, context));
    const ContextMenuPlan plan = TreeContextMenu::plan(node, context);
    m_menuNode = node;
    m_menuIndex = index;
    if (plan.empty())
        return nullptr;

    return ToolActions::menu(
        plan, [this](MenuEntry entry) { return actionFor(entry); }, this);
}

void MainWindow::hdl_TreeContextMenu(const QPoint& position)
{
    auto* view = qobject_cast<QTreeView*>(sender());
    if (!view || (view == m_ui->treeHardware && m_nodes->remoteMenusLocked()))
        return;
    const bool shift = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    std::unique_ptr<QMenu> menu = contextMenuFor(view, view->indexAt(position), shift);
    if (menu)
        menu->exec(view->viewport()->mapToGlobal(position));
    // The row may be gone with the next rebuild of the tree; the tool bar uses the current row.
    m_menuNode = nullptr;
    m_menuIndex = QPersistentModelIndex();
}

// ---- Demo editing ----

void MainWindow::hdl_SaveConfiguration()
{
    if (m_demoTab)
        saveConfiguration();
}

bool MainWindow::saveConfiguration()
{
    m_saveFailed = !m_demoTab->saveConfiguration(&m_logSettings);
    return !m_saveFailed;
}

void MainWindow::hdl_ImportSystem()
{
    if (!m_demoTab)
        return;
    if (m_nodes->remoteShown())
        m_nodes->importShownNode(*m_demoTab);
    else
        m_demoTab->importLocalHardware();
}

void MainWindow::setFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
    if (m_demoTab)
        m_demoTab->setFileChooser(m_chooser);
}

// ---- Reports ----

const RootNode* MainWindow::reportRoot() const
{
    const ModelNode* node = m_menuNode;
    while (node && node->parent())
        node = node->parent();
    return dynamic_cast<const RootNode*>(node);
}

void MainWindow::hdl_ShowSystemReport()
{
    if (const RootNode* root = reportRoot())
        SystemDialogs::showReport(*root, m_system->extendedFeatures(), this);
}

void MainWindow::hdl_SaveSystemReport()
{
    const RootNode* root = reportRoot();
    const QString saved = root ? SystemDialogs::saveReport(*root, m_system->extendedFeatures(), m_chooser, this) : "";
    if (!saved.isEmpty())
        showStatus(saved);
}

// ---- Board tools ----

void MainWindow::setUpToolActions()
{
    ToolActions::Host tools;
    tools.row = [this] { return toolRow(); };
    tools.target = [this](const ModelNode& row, ToolTarget& target) { return toolTarget(row, target); };
    tools.chooser = [this] { return m_chooser; };
    tools.status = [this](const QString& text) { showStatus(text); };
    tools.system = [this] { return m_system.get(); };
    tools.demoEditor = [this] { return m_demoEditor.get(); };
    tools.demoChanged = [this] {
        if (m_demoTab)
            m_demoTab->showSystem();
    };
    tools.localBoardChanged = [this](std::uint32_t board, const BoardReadBack& after) {
        // The tree shows the board's rows: it lets go of them while they are read again.
        m_localModel->clear();
        BoardChangeTools::refreshBoardRow(m_system->localRoot(), board, after);
        updateHwTreeModel();
    };
    m_toolActions = new ToolActions(this, m_ui->toolBar, std::move(tools));
}

void MainWindow::setUpPanels()
{
    ProblemsPanel::Host host;
    host.localRoot = [this]() -> const ModelNode* { return m_system ? &m_system->localRoot() : nullptr; };
    host.nodes = [this] { return m_nodes->listedNodes(); };
    host.show = [this](int listRow, const std::vector<std::size_t>& path) {
        m_ui->tabWidget->setCurrentIndex(kHardwareTab);
        m_nodes->showSystemRow(listRow, false);
        m_treePanel->selectSource(m_nodes->shownRowAt(path));
    };
    m_ui->tabWidget->addTab(new ProblemsPanel(std::move(host), m_ui->tabWidget), tr("Problems"));

    FleetPanel::Host fleet;
    fleet.systems = [this] {
        return FleetCollection::systemsOf(m_system.get(), m_startupStatus, m_nodes->listedNodes(),
                                          m_nodes->clientSettings());
    };
    fleet.chooser = [this] { return m_chooser; };
    fleet.status = [this](const QString& text) { showStatus(text); };
    fleet.settings = &m_settings;
    if (const std::string site = WindowSettings::siteRegister(m_settings); !site.empty())
        fleet.site = [site] { return SiteFleet::read(site); };
    m_ui->tabWidget->addTab(new FleetPanel(std::move(fleet), m_ui->tabWidget), tr("Fleet"));
}

void MainWindow::setUpMaintenanceMenu()
{
    MaintenanceMenu::Host host;
    const auto view = [this] {
        return m_ui->tabWidget->currentIndex() == kDemoTab ? m_ui->treeDemo : m_ui->treeHardware;
    };
    host.selected = [this, view] { return treeNode(view(), view()->currentIndex()); };
    host.context = [this] { return rowContext(false); };
    host.actionFor = [this](MenuEntry entry) { return actionFor(entry); };
    // As from the row's context menu: the entry acts on the chosen row.
    host.run = [this, view](MenuEntry entry) {
        m_menuIndex = view()->currentIndex();
        m_menuNode = treeNode(view(), m_menuIndex);
        QAction* action = actionFor(entry);
        action->setEnabled(true);
        action->trigger();
        m_menuNode = nullptr;
        m_menuIndex = QPersistentModelIndex();
    };
    host.supportPackage = [this] { hdl_ButtonClicked_Collect(); };
    m_maintenance = new MaintenanceMenu(this, m_ui->menuHelp->menuAction(), std::move(host));
}

const ModelNode* MainWindow::toolRow() const
{
    if (m_menuNode)
        return m_menuNode;
    return treeNode(m_ui->treeHardware, m_ui->treeHardware->currentIndex());
}

bool MainWindow::toolTarget(const ModelNode& row, ToolTarget& target) const
{
    if (row.systemKind == SystemKind::Local)
        return m_system && m_toolTargets.local(row, *m_system, target);
    if (row.systemKind != SystemKind::Remote || !m_selected->active())
        return false;
    const auto record = m_nodeRecords.find(m_selected->id());
    return record != m_nodeRecords.end() &&
           m_toolTargets.remote(row, m_selected->commands(), *record->second, m_system.get(), target);
}

QDialog* MainWindow::openToolForPicture(const QString& name)
{
    if (!m_system)
        return nullptr;
    if (SystemDialogs::pictureNames().contains(name))
        return SystemDialogs::openForPicture(name, *m_system, m_logSettings, this);
    if (WindowPictures::networkDialogNames().contains(name))
        return m_pictures ? m_pictures->openNetworkDialog(name) : nullptr;
    return m_toolActions->openForPicture(name, *m_system, m_demoEditor.get(), m_toolTargets);
}

void MainWindow::hdl_HelpAbout()
{
    SystemDialogs::showAbout(m_system.get(), this);
}

void MainWindow::hdl_HelpAboutQt()
{
    QMessageBox::aboutQt(this);
}

void MainWindow::hdl_HelpVersions()
{
    SystemDialogs::showVersions(m_system.get(), this);
}

void MainWindow::hdl_HardwareLogging()
{
    DialogLogging dialog(this);
    dialog.setSettings(m_logSettings);
    if (m_system)
        dialog.setConfigFile(m_system->configFilePath());
    connect(&dialog, &DialogLogging::collectData, this, &MainWindow::hdl_ButtonClicked_Collect);
    if (dialog.exec() == QDialog::Accepted)
        m_logSettings = dialog.settings();
}

void MainWindow::hdl_ButtonClicked_Collect()
{
    if (!m_system)
        return;
    std::vector<const NetworkNodeRecord*> nodes;
    for (const auto& record : m_nodeRecords)
        nodes.push_back(record.second.get());
    auto* parent = qobject_cast<QWidget*>(sender());
    ReportCollection(*m_system, m_startupStatus, m_chooser).run(nodes, parent ? parent : this);
}

void MainWindow::showStatus(const QString& text)
{
    m_nodes->showStatus(text);
}

// ---- Closing ----

void MainWindow::hdl_FileQuit()
{
    close();
}

bool MainWindow::hasUnsavedChanges() const
{
    // A failed save has already put the window's log settings into the driver's copy in memory:
    // only the file lacks them.
    return m_saveFailed || (m_demoEditor && m_demoEditor->needsSaveOnClose(m_logSettings));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing while a node request runs: cancel it first, close when it has ended.
    if (m_nodes->deferClose()) {
        event->ignore();
        return;
    }
    if (m_closing || quit(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

bool MainWindow::quit(QCloseEvent*)
{
    m_ui->treeHardware->viewport()->update();
    if (hasUnsavedChanges()) {
        CDecisionDialog question(QString(), DemoTexts::kUnsavedChangesQuestion, this);
        question.setWindowModality(Qt::ApplicationModal);
        question.adjustSize();
        question.show();
        CMiscUtils::placeOverParent(&question, 10, 15);
        const int answer = question.exec();
        if (answer != CDecisionDialog::Save && answer != CDecisionDialog::Discard)
            return false;
        if (answer == CDecisionDialog::Save && !saveConfiguration())
            return false;
    }
    WindowSettings::saveLayout(m_settings, *this);
    WindowSettings::writeNetworkOptions(m_settings, m_nodes->options());
    m_settings.sync();
    m_nodes->releaseShownNode();
    m_closing = true;
    if (m_options.quitOnClose)
        QCoreApplication::quit();
    return true;
}

} // namespace z2e
