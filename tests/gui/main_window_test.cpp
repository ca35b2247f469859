// Before any Qt header: the configuration's records have a member named like Qt's `slots`.
#include "config/qorin_cfg_handler.h"

#include "support/net.h"
#include "support/process.h"
#include "window_test_support.h"

#include "core/app_paths.h"
#include "core/application_status.h"
#include "core/driver_library.h"
#include "core/root_node.h"
#include "crash/crash_monitor.h"
#include "gui/dialogs/tools/bus_test_dialog.h"
#include "gui/dialogs/tools/self_test_dialog.h"
#include "gui/window/demo_tab.h"
#include "gui/window/network_node_controller.h"
#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"
#include "tools/system_lock.h"
#include "xpugi/element.h"

#include <QColor>
#include <QFile>
#include <QRegularExpression>

#include <chrono>

#include <unistd.h>

namespace z2e {
namespace {

using z2e_test::DialogRecorder;
using z2e_test::entries;
using z2e_test::findRow;
using z2e_test::SimulatedSite;
using z2e_test::startWindow;

// The enclosure rows a tree shows below its system.
QStringList enclosureRows(const QAbstractItemModel* model)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(model->index(0, 0)); ++row)
        rows << model->index(row, 0, model->index(0, 0)).data().toString();
    return rows.filter(QRegularExpression("^Enclosure "));
}

// An entry of the list of systems as "caption|detail|selection".
QString entryLine(const QListWidgetItem* item)
{
    return QStringList({item->data(SystemListRole::Caption).toString(), item->data(SystemListRole::Detail).toString(),
                        item->data(SystemListRole::Selection).toString()})
        .join('|');
}

// A change a killed program left unfinished is journalled as interrupted when the window starts.
TEST(MainWindowStartUpTest, JournalsTheChangeOfAKilledProgramAsInterrupted)
{
    SimulatedSite site;
    MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), "local");
    JournalEntry entry;
    entry.serial = "10A80001";
    entry.operation = "crossgrade";
    const std::string intents = journal.folder() + "/intents";
    ASSERT_TRUE(ensureDirectory(intents));
    // No process has this pid: the one that wrote it is gone.
    test::writeFile(intents + "/999999999-1-0.intent", ChangeIntent::interruptedLine(journal, entry) + "\n");
    auto window = startWindow();
    ASSERT_TRUE(window->init());
    const auto lines = journal.history("10A80001");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "operation") + " " +
                  MaintenanceJournal::field(lines[0], "verification"),
              "crossgrade interrupted");
    EXPECT_TRUE(test::filesIn(intents).empty());
}

TEST(MainWindowStartUpTest, FillsBothTreesTheListAndTheStatusBar)
{
    SimulatedSite site;
    auto window = startWindow();
    ASSERT_TRUE(window->init());
    EXPECT_EQ(window->startupStatus(), 0);

    CTreeViewModel* hardware = window->hardwareModel();
    ASSERT_EQ(hardware->rowCount(), 1);
    EXPECT_EQ(hardware->index(0, 0).data().toString() + " " + window->demoModel()->index(0, 0).data().toString(),
              "Local System Demo System");
    EXPECT_EQ(enclosureRows(hardware),
              QStringList({"Enclosure 0:   QE-R16", "Enclosure 1:   Host PC", "Enclosure 2:   QORINet QN-N6"}));
    EXPECT_TRUE(window->ui()->treeHardware->isExpanded(hardware->index(0, 0)));
    EXPECT_EQ(enclosureRows(window->demoModel()), QStringList({"Enclosure 0:   QE-R8", "Enclosure 1:   QE-P4"}));

    EXPECT_EQ(window->ui()->tabWidget->currentIndex(), 0);
    EXPECT_EQ(window->statusBar()->currentMessage(), "Local QORIN hardware found.");
    ASSERT_EQ(window->ui()->listSystems->count(), 1);
    EXPECT_EQ(entryLine(window->ui()->listSystems->item(0)), "Local System|QE-R16|selected");
    for (QAction* tool : {window->actionFor(MenuEntry::SelfTest), window->actionFor(MenuEntry::FirmwareUpdate),
                          window->actionFor(MenuEntry::BoardConfiguration), window->ui()->actionNodeOptions})
        EXPECT_FALSE(tool->isVisible()) << tool->text().toStdString();
}

// Without hardware, or without the driver library (the empty roots show and the network side
// runs), the local system is in demo mode, and closing asks nothing.
TEST(MainWindowStartUpTest, WithoutHardwareOrTheDriverLibraryTheLocalSystemIsInDemoMode)
{
    for (const bool library : {true, false}) {
        SCOPED_TRACE(library ? "without hardware" : "without the driver library");
        SimulatedSite site(!library);
        if (!library)
            DriverLibrary::useFile(site.path("missing/libzmpxi_api_x64.so").toStdString());
        DialogRecorder dialogs;
        auto window = startWindow();
        const bool started = window->init();
        DriverLibrary::useFile(std::string());
        ASSERT_TRUE(started);
        EXPECT_EQ(window->startupStatus() == AppStatus::DriverNotLoadable, !library);
        EXPECT_EQ(window->statusBar()->currentMessage(), "Local system is in demo mode.");
        EXPECT_EQ(window->hardwareModel()->index(0, 0).data().toString() + ", " +
                      window->demoModel()->index(0, 0).data().toString(),
                  "Local System, Demo System");
        EXPECT_TRUE(enclosureRows(window->hardwareModel()).isEmpty());
        EXPECT_TRUE(!library || !enclosureRows(window->demoModel()).isEmpty());
        ASSERT_EQ(window->ui()->listSystems->count(), 1);
        EXPECT_EQ(window->ui()->listSystems->item(0)->data(SystemListRole::Detail).toString(), "Host PC");
        EXPECT_GT(window->networkNodes().settleMs(), 0); // the network client runs
        EXPECT_TRUE(window->close());
        EXPECT_TRUE(dialogs.seen().isEmpty()) << dialogs.seen().join("; ").toStdString();
    }
}

// A second copy of the program finds the hardware held (here by a stand-in holder) and names
// the holder; the window stays usable for the network nodes.
TEST(MainWindowStartUpTest, HardwareHeldElsewhereNamesTheHolder)
{
    SimulatedSite site;
    test::BackgroundProcess holder;
    ASSERT_TRUE(holder.start(test::besideMe("core_hardware_holder"), {}));
    ASSERT_TRUE(holder.waitForOutput("held\n", std::chrono::seconds(30))) << holder.output();
    DialogRecorder dialogs;
    auto window = startWindow();
    ASSERT_TRUE(window->init());
    EXPECT_EQ(window->startupStatus(), AppStatus::HardwareInUse);
    EXPECT_TRUE(dialogs.saw("[Warning] QORIN hardware is used by another application."));
    EXPECT_TRUE(dialogs.saw(QString("Held by process %1 (core_hardware_h).").arg(holder.pid())));
    window.reset();
    EXPECT_EQ(holder.finish(), 0) << holder.output();
}

// A window that cannot listen for the nodes' answers says so, and which program holds the port.
TEST(MainWindowStartUpTest, ATakenAnswerPortIsToldWithItsHolder)
{
    SimulatedSite site;
    const std::uint16_t port = test::freeClientBasePort();
    const test::HeldUdpPort otherProgram(static_cast<std::uint16_t>(port + 2));
    ASSERT_NE(otherProgram.port(), 0);
    auto window = startWindow(port);
    ASSERT_TRUE(window->init());
    QFile comm("/proc/self/comm");
    ASSERT_TRUE(comm.open(QIODevice::ReadOnly));
    const QString told = QString("UDP port %1, where the nodes answer, is taken by %2 (process %3).")
                             .arg(port + 2)
                             .arg(QString::fromUtf8(comm.readAll()).trimmed())
                             .arg(::getpid());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->statusBar()->currentMessage().contains(told); }, 10000))
        << window->statusBar()->currentMessage().toStdString();
}

TEST(MainWindowStartUpTest, CrashReportsGoToTheDataFolder)
{
    SimulatedSite site;
    MainWindowOptions options;
    options.quitOnClose = false;
    options.network.basePort = test::freeClientBasePort();
    {
        MainWindow window(options);
        window.show();
        ASSERT_TRUE(window.init());
        const crash_monitor::CrashMonitor* monitor = crash_monitor::CrashMonitor::Existing();
        ASSERT_TRUE(monitor && monitor->installed());
        EXPECT_EQ(QString::fromStdString(monitor->reportFolder()), site.path("documents/Norvale/zamo2explorer"));
    }
    EXPECT_EQ(crash_monitor::CrashMonitor::Existing(), nullptr);
}

// A configuration file that does not load is told at start-up, and the first save says where
// the old file went.
TEST(MainWindowStartUpTest, BrokenConfigurationIsToldAndKeptAtTheFirstSave)
{
    SimulatedSite site;
    const QString path = site.configFile();
    const QByteArray broken = "<zmpxi_api_config>\n<Definition>\n</zmpxi_api_config>";
    test::writeFile(path.toStdString(), broken.toStdString());
    DialogRecorder dialogs;
    auto window = startWindow();
    ASSERT_TRUE(window->init());
    const QString reason = "not XML: Start-end tags mismatch at line 3, column 3";
    EXPECT_EQ(dialogs.seen().filter("could not be used").size(), 1) << dialogs.seen().join("\n").toStdString();
    EXPECT_TRUE(dialogs.saw(path + " " + reason));
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Driver configuration not usable, defaults in use: " + path + ": " + reason);

    window->ui()->actionSaveConfiguration->trigger();
    const QString kept = QString::fromStdString(window->system()->keptConfigurationFile());
    ASSERT_TRUE(kept.startsWith(path + ".invalid-")) << kept.toStdString();
    EXPECT_TRUE(dialogs.saw("The unusable file that was there is kept as " + kept));
    EXPECT_EQ(SimulatedSite::read(kept).toUtf8(), broken);
    window->ui()->actionSaveConfiguration->trigger();
    EXPECT_EQ(dialogs.seen().filter("kept as").size(), 1);
}

using MainWindowTest = z2e_test::WindowTest;

TEST_F(MainWindowTest, ContextMenuFollowsTheRowAndTheShiftKey)
{
    QTreeView* hardware = m_window->ui()->treeHardware;
    QTreeView* demo = m_window->ui()->treeDemo;
    const QStringList reports{"Show system report", "Save system report to file"};

    EXPECT_EQ(menuAt(hardware, "Local System", false),
              QStringList({"Use Selected System as Demo", "Save Selected System to Demo File"}) + reports);
    EXPECT_EQ(menuAt(demo, "Demo System", true),
              QStringList({"Load Demo System from File", "Save Demo System to File"}) + reports);
    // Enclosure 0 holds the example's CAN board.
    EXPECT_EQ(menuAt(hardware, "Enclosure 0:", false), QStringList({"Self Test", "Firmware Update", "Bus Test…"}));
    EXPECT_TRUE(menuAt(hardware, "Slot 5:", false).contains("Bus Test…"));
    EXPECT_EQ(menuAt(hardware, "Enclosure 0:", true), QStringList({"Self Test", "Firmware Update", "Enclosure Data"}));

    EXPECT_EQ(menuAt(hardware, "Slot 3:   QA-4116", false),
              QStringList({"Self Test", "Firmware Update", "Board Configuration", "Board History…"}));
    EXPECT_TRUE(m_window->actionFor(MenuEntry::SelfTest)->isVisible());

    EXPECT_EQ(
        menuAt(hardware, "Slot 3:   QA-4116", true),
        QStringList({"Configure Base EEPROM", "Firmware Update PRO", "Cross Grade", "Factory Self Test",
                     "EEPROM Management>Backup>Backup Base,Backup Panel,Restore>Auto Restore Base(off),Auto Restore "
                     "Con(off),File Restore Base,File Restore Panel"}));

    EXPECT_TRUE(menuAt(hardware, "SerialNumber", false).isEmpty());
    EXPECT_FALSE(m_window->actionFor(MenuEntry::SelfTest)->isVisible());
    // Demo rows never bring the hardware tools to the tool bar.
    menuAt(demo, "Enclosure 0:", false);
    EXPECT_FALSE(m_window->actionFor(MenuEntry::FirmwareUpdate)->isVisible());
}

// The tool dialogs are modal: the title of the one `entry` opened and the rows of its table
// or result list ("" when none opened); closed again.
QString toolDialogOf(QAction* entry)
{
    QString seen;
    z2e_test::actOnDialogWhile<QDialog>([entry] { entry->trigger(); },
                                        [&seen](QDialog& dialog) {
                                            int rows = -1;
                                            if (auto* table = dialog.findChild<QTableWidget*>())
                                                rows = table->rowCount();
                                            if (auto* tree = dialog.findChild<QTreeView*>())
                                                rows = tree->model()->rowCount();
                                            seen = QString("%1 %2").arg(dialog.windowTitle()).arg(rows);
                                            dialog.reject();
                                        });
    return seen;
}

// The factory entry runs the factory variant of the self test, which the journal names.
TEST_F(MainWindowTest, FactorySelfTestRunsTheFactoryVariant)
{
    const QStringList entries = menuAt(m_window->ui()->treeHardware, "Slot 3:   QA-4116", true);
    ASSERT_TRUE(m_window->actionFor(MenuEntry::FactorySelfTest)->isVisible()) << entries.join(", ").toStdString();
    ASSERT_TRUE(openTool<CSelfTestDialog>(MenuEntry::FactorySelfTest, [](CSelfTestDialog& dialog) {
        dialog.findChild<QPushButton*>("btnSelfTest")->click();
        dialog.reject();
    }));
    const std::vector<std::string> lines = MaintenanceJournal(MaintenanceJournal::defaultFolder(), "local").history("");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "operation"), "selftest-factory");
}

TEST_F(MainWindowTest, BoardToolsOpenForTheRowTheyWereChosenFor)
{
    QTreeView* hardware = m_window->ui()->treeHardware;
    const auto tool = [this](MenuEntry entry) { return toolDialogOf(m_window->actionFor(entry)); };
    menuAt(hardware, "Enclosure 0:", false);
    // The self test of an enclosure is that of every board of the system; the firmware update
    // takes the enclosure's four.
    EXPECT_EQ(tool(MenuEntry::SelfTest), "Hardware Tools 8");
    EXPECT_EQ(tool(MenuEntry::FirmwareUpdate), "Firmware Update 4");

    EXPECT_EQ(menuAt(hardware, "Slot 3:   QA-4116", false).last(), "Board History…");
    EXPECT_EQ(tool(MenuEntry::SelfTest), "Hardware Tools 1");
    EXPECT_EQ(tool(MenuEntry::BoardHistory), "Board History 0");
    menuAt(hardware, "Slot 3:   QA-4116", true);
    EXPECT_EQ(tool(MenuEntry::FirmwareUpdatePro), "Firmware Update PRO 1");

    // Bus Test names each board by its place and starts on the bus a board has.
    const auto busTest = [&](const QString& row) {
        menuAt(hardware, row, false);
        QString seen;
        openTool<CBusTestDialog>(MenuEntry("bus-test"), [&seen](CBusTestDialog& dialog) {
            seen = dialog.findChild<QComboBox*>("comboBoard")->currentText() + " | " +
                   dialog.findChild<QComboBox*>("comboBus")->currentText();
            dialog.reject();
        });
        return seen.toStdString();
    };
    EXPECT_EQ(busTest("Slot 3:   QN-6202"), "Enclosure 2, Slot 3: QN-6202-UART E2PROM-ERROR (board 7) | UART");
    EXPECT_EQ(busTest("Slot 5:"), "Enclosure 0, Slot 5: E2PROM-ERROR (board 3) | CAN");

    // A row without boards opens nothing and says why.
    menuAt(hardware, "SerialNumber", false);
    EXPECT_EQ(tool(MenuEntry::FirmwareUpdate), "");
    EXPECT_FALSE(m_window->statusBar()->currentMessage().isEmpty());
}

TEST_F(MainWindowTest, BackupFromTheBoardMenuWritesTheFileInTheChosenFolder)
{
    const QString folder = m_site.path("backups");
    ASSERT_TRUE(QDir().mkpath(folder));
    std::vector<FileRequest> requests;
    m_window->setFileChooser([&](QWidget*, const FileRequest& request) {
        requests.push_back(request);
        return folder;
    });
    DialogRecorder dialogs;
    menuAt(m_window->ui()->treeHardware, "Slot 2:   QA-4008", true);
    m_window->ui()->actionBackupBase->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].directory);
    const QString file = folder + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml";
    EXPECT_TRUE(SimulatedSite::read(file).startsWith("<BaseEEPROM")) << file.toStdString();
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "EEPROM backup written to " + file);
    EXPECT_TRUE(dialogs.seen().isEmpty()) << dialogs.seen().join("\n").toStdString();
}

// The saved report names each board's enclosure and slot as the tree shows them ("Slot 3" of
// enclosure 0 and of enclosure 1 hold different boards); the shown report keeps the overview's
// own columns.
TEST_F(MainWindowTest, SystemReportOfTheClickedSystemGoesToCsvWithEnclosureAndSlot)
{
    const QString report = m_site.path("report.csv");
    m_window->setFileChooser([&report](QWidget*, const FileRequest& request) {
        EXPECT_TRUE(request.save);
        return report;
    });
    ASSERT_FALSE(menuAt(m_window->ui()->treeHardware, "Local System", false).isEmpty());
    m_window->ui()->actionSaveSystemReport->trigger();
    const QStringList lines = SimulatedSite::read(report).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 9) << lines.join("\n").toStdString();
    EXPECT_EQ(lines[0], "Enclosure,Slot,Board Name,Base Serial,Base Cal Date,Con Serial");
    EXPECT_EQ(lines.filter(QRegularExpression("^(0,3,QA-4116-STRAIN|1,3,QC-3104),")).size(), 2)
        << lines.join("\n").toStdString();

    QStringList headers;
    int rows = -1;
    DialogRecorder dialogs;
    dialogs.setHandler([&headers, &rows](QWidget* modal) {
        auto* table = modal->findChild<QTableWidget*>();
        if (!table)
            return false;
        for (int column = 0; column < table->columnCount(); ++column)
            headers << table->horizontalHeaderItem(column)->text();
        rows = table->rowCount();
        static_cast<QDialog*>(modal)->accept();
        return true;
    });
    m_window->ui()->actionShowSystemReport->trigger();
    EXPECT_EQ(headers, QStringList({"Board Name", "Base Serial", "Base Cal Date", "Con Serial"}));
    EXPECT_EQ(rows, 8);
}

// Cancel keeps the window and writes nothing; Discard closes without saving the configuration.
TEST_F(MainWindowTest, CancelKeepsTheWindowAndDiscardClosesWithoutSaving)
{
    m_window->demoEditor()->setUnsavedChanges(true);
    const QString before = SimulatedSite::read(m_site.configFile());
    {
        DialogRecorder dialogs("cancel");
        EXPECT_FALSE(m_window->close());
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_TRUE(dialogs.saw("There are unsaved changes."));
        EXPECT_FALSE(QFile::exists(m_site.settingsFile()));
    }
    m_window->demoEditor()->setUnsavedChanges(false);
    m_window->logSettings().level = "LogOff"; // as the logging dialog leaves it
    DialogRecorder dialogs("discard");
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(dialogs.saw("Do you want to save the configuration?"));
    EXPECT_EQ(SimulatedSite::read(m_site.configFile()), before);
    QSettings written(m_site.settingsFile(), QSettings::IniFormat);
    EXPECT_TRUE(written.contains("MainWindow/geometry"));
    EXPECT_EQ(written.value("Options/NetAddress").toString(), "127.0.1.1");
}

TEST_F(MainWindowTest, FailedSaveKeepsTheWindowOpenUntilASaveSucceeds)
{
    // Nothing can be written where the configuration was: a folder has its name now.
    ASSERT_TRUE(QFile::remove(m_site.configFile()));
    ASSERT_TRUE(QDir().mkdir(m_site.configFile()));
    DialogRecorder dialogs("save");
    const auto questions = [&dialogs] {
        return dialogs.seen().filter("Do you want to save the configuration?").size();
    };

    // The log level the logging dialog left is the only change.
    m_window->logSettings().level = "LogOff";
    EXPECT_FALSE(m_window->close());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(questions(), 1);
    EXPECT_TRUE(dialogs.saw("Failed to save the driver configuration!"));
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "API configuration not saved.");
    EXPECT_FALSE(QFile::exists(m_site.settingsFile()));

    // The driver's copy in memory holds the new level by now: closing must still ask.
    EXPECT_FALSE(m_window->close());
    EXPECT_EQ(questions(), 2);

    m_window->demoEditor()->setUnsavedChanges(true);
    EXPECT_FALSE(m_window->close());
    EXPECT_EQ(questions(), 3);

    ASSERT_TRUE(QDir().rmdir(m_site.configFile()));
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(SimulatedSite::read(m_site.configFile()).contains("<LogLevel>LogOff</LogLevel>"));
    EXPECT_TRUE(QFile::exists(m_site.settingsFile()));
}

// Another program editing this computer's demo system: the save waits for it, or gives up.
TEST_F(MainWindowTest, SaveWaitsForAnotherProgramsEditOrGivesUp)
{
    SystemLock holder(SystemLock::defaultFolder(), SystemLock::localSystem());
    ASSERT_EQ(holder.tryAcquire("zamo2ctl", "editing the demo system"), SystemLock::Outcome::Held);
    const QString words = QString("busy: zamo2ctl pid %1 is editing the demo system").arg(::getpid());
    DialogRecorder dialogs;
    m_window->logSettings().level = "LogOff";
    {
        const auto cancel = z2e_test::whenProgressShows(
            words, [](CInProgress& progress) { QTest::keyClick(&progress, Qt::Key_Escape); });
        m_window->ui()->actionSaveConfiguration->trigger();
    }
    EXPECT_EQ(dialogs.seen(), QStringList{"[Driver Configuration] Nothing was changed: " + words});
    EXPECT_FALSE(SimulatedSite::read(m_site.configFile()).contains("<LogLevel>LogOff</LogLevel>"));
    {
        const auto release = z2e_test::whenProgressShows(words, [&](CInProgress&) { holder.release(); });
        m_window->ui()->actionSaveConfiguration->trigger();
    }
    EXPECT_TRUE(SimulatedSite::read(m_site.configFile()).contains("<LogLevel>LogOff</LogLevel>"));
}

TEST_F(MainWindowTest, DemoEditsSaveAndLoadThroughTheWindow)
{
    DemoTab* demo = m_window->demoTab();
    QTreeView* tree = m_window->ui()->treeDemo;
    QString chosen;
    m_window->setFileChooser([&chosen](QWidget*, const FileRequest&) { return chosen; });

    // Add on the root with nothing selected: the picker offers enclosure types.
    tree->setCurrentIndex(QModelIndex());
    demo->selectRow(tree->model()->index(0, 0));
    const int type = demo->pickerTexts().indexOf("QE-D2");
    ASSERT_GE(type, 0) << demo->pickerTexts().join(",").toStdString();
    m_window->ui()->listModels->setCurrentIndex(m_window->ui()->listModels->model()->index(type, 0));
    m_window->ui()->btnAdd->click();
    EXPECT_EQ(enclosureRows(tree->model()),
              QStringList({"Enclosure 0:   QE-R8", "Enclosure 1:   QE-P4", "Enclosure 2:   QE-D2"}));
    EXPECT_TRUE(m_window->demoEditor()->hasUnsavedChanges());

    chosen = m_site.path("demo.xml");
    m_window->ui()->actionSaveDemo->trigger();
    ASSERT_TRUE(QFile::exists(chosen));

    // Removing the first enclosure renumbers the others.
    {
        DialogRecorder yes("save");
        tree->setCurrentIndex(findRow(*tree->model(), "Enclosure 0:"));
        m_window->ui()->btnRemove->click();
    }
    EXPECT_EQ(enclosureRows(tree->model()), QStringList({"Enclosure 0:   QE-P4", "Enclosure 1:   QE-D2"}));

    m_window->ui()->actionLoadDemo->trigger();
    EXPECT_EQ(enclosureRows(tree->model()),
              QStringList({"Enclosure 0:   QE-R8", "Enclosure 1:   QE-P4", "Enclosure 2:   QE-D2"}));

    // An unreadable file: status 501, the tree as it was.
    DialogRecorder dialogs;
    chosen = m_site.path("broken.xml");
    test::writeFile(chosen.toStdString(), "<Simulation><SimulatedEnclosures>");
    m_window->ui()->actionLoadDemo->trigger();
    EXPECT_TRUE(dialogs.saw("Failed to load simulation configuration!"));
    EXPECT_TRUE(dialogs.saw(chosen + ": not XML: "));
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "Error loading demo configuration.");
    EXPECT_EQ(enclosureRows(tree->model()).size(), 3);
}

TEST_F(MainWindowTest, ImportAsksThenMakesTheLocalHardwareTheDemoSystem)
{
    {
        DialogRecorder no("cancel");
        m_window->ui()->actionUseSelectedAsDemo->trigger();
        EXPECT_TRUE(
            no.saw("The demo system (2 enclosures, 6 boards) will be replaced by a copy of the local hardware."));
    }
    EXPECT_EQ(enclosureRows(m_window->demoModel()).size(), 2);
    EXPECT_FALSE(m_window->demoEditor()->hasUnsavedChanges());

    DialogRecorder yes("save");
    m_window->ui()->actionUseSelectedAsDemo->trigger();
    EXPECT_EQ(enclosureRows(m_window->demoModel()), enclosureRows(m_window->hardwareModel()));
    EXPECT_TRUE(m_window->demoEditor()->hasUnsavedChanges());
}

// Edits that lose boards ask first, Cancel changes nothing, and Undo takes back the last edit.
TEST_F(MainWindowTest, DemoEditsThatLoseBoardsAskAndUndoTakesThemBack)
{
    DemoTab* demo = m_window->demoTab();
    QTreeView* tree = m_window->ui()->treeDemo;
    QPushButton* remove = m_window->ui()->btnRemove;
    QAction* undo = m_window->ui()->actionUndoDemoEdit;
    const auto configuration = [this] { return xpugi::printNode(m_window->system()->configHandler().document()); };
    const std::string original = configuration();
    const auto select = [&](const QString& row) {
        const QModelIndex index = findRow(*tree->model(), row);
        ASSERT_TRUE(index.isValid()) << row.toStdString();
        tree->setCurrentIndex(index);
        demo->selectRow(index);
    };
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(m_window->ui()->menuDemo->actions().first(), undo);

    select("Slot 6:   Empty");
    EXPECT_FALSE(remove->isEnabled());
    {
        DialogRecorder no("cancel");
        select("Slot 2:   QA-4016");
        EXPECT_TRUE(remove->isEnabled());
        const int model = demo->pickerTexts().indexOf("QC-3104");
        ASSERT_GE(model, 0);
        // A double click on the picker adds as the button does.
        const QModelIndex entry = m_window->ui()->listModels->model()->index(model, 0);
        m_window->ui()->listModels->setCurrentIndex(entry);
        emit m_window->ui()->listModels->doubleClicked(entry);
        EXPECT_TRUE(no.saw("Slot 2 of enclosure 0 holds QA-4016. Replace it by QC-3104?"));
        EXPECT_TRUE(findRow(*tree->model(), "Slot 2:   QA-4016").isValid());

        select("Enclosure 0:");
        remove->click();
        EXPECT_TRUE(no.saw("Enclosure 0 (QE-R8) holds 4 boards. Remove it with all of them?"));
        EXPECT_EQ(enclosureRows(tree->model()).size(), 2);
        EXPECT_EQ(configuration(), original);
        EXPECT_FALSE(m_window->demoEditor()->hasUnsavedChanges());
        EXPECT_FALSE(undo->isEnabled());
    }

    DialogRecorder yes("save");
    select("Enclosure 0:");
    remove->click();
    EXPECT_EQ(enclosureRows(tree->model()), QStringList({"Enclosure 0:   QE-P4"}));
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(enclosureRows(tree->model()), QStringList({"Enclosure 0:   QE-R8", "Enclosure 1:   QE-P4"}));
    EXPECT_TRUE(findRow(*tree->model(), "Slot 2:   QA-4016").isValid());
    EXPECT_EQ(configuration(), original);
    EXPECT_FALSE(m_window->demoEditor()->hasUnsavedChanges());
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "Demo edit undone.");
}

TEST_F(MainWindowTest, EventsOfNodesTheClientNoLongerHoldsAreDropped)
{
    NetworkNodeRecord record;
    record.nodeId = 7;
    record.address = "127.0.0.7";
    record.connectionState = NetworkConnectionState::Established;
    emit m_window->networkNodes().ctrlNodeAdded(record);
    emit m_window->networkNodes().ctrlNodeSyncChanged(7, 2);
    emit m_window->networkNodes().ctrlNodeRemoved(7);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window->ui()->listSystems->count(), 1);
    EXPECT_EQ(m_window->ui()->treeHardware->model(), m_window->hardwareModel());
}

TEST(MainWindowTemperatureTest, UpdateTemperaturesReadsTheBoardAgainAndACooledBoardLosesItsWarning)
{
    SimulatedSite site;
    z2e_test::HotBoardHardware hardware(site.path("hardware.xml").toStdString());
    ASSERT_TRUE(hardware.hot());
    test::EnvOverride ownHardware("ZMPXI_SIM_HARDWARE", hardware.path());
    DialogRecorder dialogs;
    auto window = startWindow();
    ASSERT_TRUE(window->init());
    QTreeView* tree = window->ui()->treeHardware;
    CTreeViewModel* model = window->hardwareModel();

    const QModelIndex hotRow = findRow(*model, "BaseBoard:   78.5degC");
    ASSERT_TRUE(hotRow.isValid());
    EXPECT_EQ(model->data(hotRow, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    tree->expand(hotRow.parent());
    const QListWidgetItem* local = window->ui()->listSystems->item(0);
    const int redBefore = local->data(SystemListRole::Problems).toInt();
    EXPECT_GT(redBefore, 0);

    hardware.coolDown();
    EXPECT_EQ(entries(window->contextMenuFor(tree, hotRow, false).get()), QStringList({"Update Temperatures"}));
    window->actionFor(MenuEntry::UpdateTemperatures)->trigger();

    EXPECT_FALSE(findRow(*model, "BaseBoard:   78.5").isValid());
    const QModelIndex cooled = findRow(*model, "BaseBoard:   35degC");
    ASSERT_TRUE(cooled.isValid());
    EXPECT_FALSE(model->data(cooled, Qt::ForegroundRole).isValid());
    EXPECT_TRUE(tree->isExpanded(cooled.parent())); // refreshed in place, not rebuilt
    EXPECT_EQ(local->data(SystemListRole::Problems).toInt(), redBefore - 1);
    EXPECT_EQ(window->statusBar()->currentMessage(), "Temperatures updated.");
    EXPECT_TRUE(dialogs.seen().isEmpty()) << dialogs.seen().join("; ").toStdString();
}

} // namespace
} // namespace z2e
