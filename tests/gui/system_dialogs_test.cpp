// The window's software versions, logging configuration and "Collect data".

#include "support/report_archive.h"
#include "window_test_support.h"

#include "gui/dialogs/auxiliary/dialog_logging.h"
#include "gui/dialogs/auxiliary/dialog_versions.h"
#include "gui/window/about_text.h"
#include "ui_dialog_logging.h"

#include <QPointer>

#include <sys/stat.h>

#include <filesystem>
#include <set>

namespace z2e {
namespace {

using z2e_test::DialogRecorder;
using z2e_test::SimulatedSite;

class SystemDialogsTest : public z2e_test::WindowTest {
protected:
    /// Triggers `action` and lets `act` work on the first dialog of type T it opens, once the
    /// dialog's modal loop runs; other message dialogs go to `dialogs`.
    template <typename T>
    void withDialog(QAction* action, DialogRecorder& dialogs, const std::function<void(T&)>& act)
    {
        bool handled = false;
        dialogs.setHandler([&handled, act](QWidget* modal) {
            auto* dialog = qobject_cast<T*>(modal);
            if (!dialog)
                return false;
            if (!handled) {
                handled = true;
                QPointer<T> guarded(dialog);
                QTimer::singleShot(0, dialog, [guarded, act] { act(*guarded); });
            }
            return true;
        });
        action->trigger();
        EXPECT_TRUE(handled);
    }

    /// Opens the logging dialog and has `edit` fill it before `button` is clicked.
    void editLogging(DialogRecorder& dialogs, const std::function<void(Ui::DialogLogging&)>& edit, const char* button)
    {
        withDialog<DialogLogging>(m_window->ui()->actionLoggingConfiguration, dialogs,
                                  [edit, button](DialogLogging& dialog) {
                                      // The dialog's form, reached through its widgets' names.
                                      Ui::DialogLogging ui;
                                      ui.editFileName = dialog.findChild<QLineEdit*>("editFileName");
                                      ui.comboLevel = dialog.findChild<QComboBox*>("comboLevel");
                                      ui.btnCollect = dialog.findChild<QPushButton*>("btnCollect");
                                      edit(ui);
                                      dialog.findChild<QPushButton*>(button)->click();
                                      // "Collect data" leaves the dialog open.
                                      if (dialog.isVisible())
                                          dialog.reject();
                                  });
    }

    void applyFileName(DialogRecorder& dialogs, const QString& name)
    {
        editLogging(
            dialogs, [name](Ui::DialogLogging& ui) { ui.editFileName->setText(name); }, "btnClose");
    }
};

TEST_F(SystemDialogsTest, VersionsListTheProgramFirstThenTheDriver)
{
    DialogRecorder dialogs;
    QStringList rows;
    withDialog<DialogVersions>(m_window->ui()->actionSoftwareVersions, dialogs, [&rows](DialogVersions& dialog) {
        const QTableWidget* table = dialog.table();
        for (int row = 0; row < table->rowCount(); ++row)
            rows << table->item(row, 0)->text() + "|" + table->item(row, 1)->text() + "|" + table->item(row, 2)->text();
        dialog.accept();
    });
    ASSERT_GE(rows.size(), 2) << rows.join("\n").toStdString();
    EXPECT_TRUE(rows[0].startsWith("ZAMO2Explorer|2.5.48441.00|Revision: ")) << rows[0].toStdString();
    EXPECT_TRUE(rows[0].contains("\nHash: ")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith("Acquisition API|")) << rows[1].toStdString();
    EXPECT_FALSE(rows.join("\n").contains("Driver Not Loaded"));
    EXPECT_TRUE(dialogs.seen().isEmpty()) << dialogs.seen().join("\n").toStdString();

    // The About box tells the same story: the version, then the package and revision.
    const QString about = AboutText::text({"370", "b9e80cf", "0.1.0"}, {});
    EXPECT_TRUE(about.startsWith("<h2>ZAMO2Explorer V2.5.48441.00</h2><p>Using QORIN API N/A</p>"))
        << about.toStdString();
    EXPECT_TRUE(about.contains("Package 0.1.0, revision 370")) << about.toStdString();
}

TEST_F(SystemDialogsTest, LoggingValuesStayInTheWindowUntilTheConfigurationIsSaved)
{
    const QString before = SimulatedSite::read(m_site.configFile());
    const DriverLogSettings held = m_window->logSettings();
    DialogRecorder dialogs("save");

    // However the dialog closes, what it shows is kept: the window's own close button too.
    withDialog<DialogLogging>(m_window->ui()->actionLoggingConfiguration, dialogs, [](DialogLogging& dialog) {
        dialog.findChild<QLineEdit*>("editFileName")->setText("closed.log");
        dialog.close();
    });
    EXPECT_EQ(m_window->logSettings().fileName, "closed.log");
    // An emptied name keeps the one held.
    applyFileName(dialogs, "  ");
    EXPECT_EQ(m_window->logSettings().fileName, "closed.log");

    // A name without a dot gets ".log"; one with a dot is kept as it is.
    applyFileName(dialogs, "bench.trace");
    EXPECT_EQ(m_window->logSettings().fileName, "bench.trace");
    applyFileName(dialogs, " bench ");
    EXPECT_EQ(m_window->logSettings().fileName, "bench.log");
    // A name is a plain file in the driver's log folder: a path or a FIFO there is refused in words.
    applyFileName(dialogs, "../elsewhere");
    EXPECT_TRUE(dialogs.saw("may not hold '/'"));
    ASSERT_TRUE(QDir().mkpath(m_site.path("config/log")));
    ASSERT_EQ(::mkfifo(m_site.path("config/log/piped.log").toStdString().c_str(), 0600), 0);
    applyFileName(dialogs, "piped");
    EXPECT_TRUE(dialogs.saw("piped.log is a FIFO (named pipe), not a plain log file The logging settings were left "
                            "as they were."));
    EXPECT_EQ(m_window->logSettings().fileName, "bench.log");
    applyFileName(dialogs, QString::fromStdString(held.fileName));
    EXPECT_EQ(m_window->logSettings().fileName, held.fileName);
    EXPECT_EQ(SimulatedSite::read(m_site.configFile()), before);

    // Only the level changes: closing asks, and saving writes it into the configuration.
    editLogging(
        dialogs, [](Ui::DialogLogging& ui) { ui.comboLevel->setCurrentText("LogOff"); }, "btnClose");
    EXPECT_EQ(m_window->logSettings().level, "LogOff");
    EXPECT_EQ(SimulatedSite::read(m_site.configFile()), before);
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(dialogs.saw("Do you want to save the configuration?"));
    const QString written = SimulatedSite::read(m_site.configFile());
    EXPECT_TRUE(written.contains("<LogLevel>LogOff</LogLevel>") &&
                written.contains(QString("<CmdLogFile>%1</CmdLogFile>").arg(QString::fromStdString(held.fileName))));
}

class CollectDataTest : public SystemDialogsTest {
protected:
    void SetUp() override
    {
        SystemDialogsTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_temporary)));
    }

    /// Clicks "Collect data" with `destination` as the chosen file, then closes the dialog.
    void collectTo(const QString& destination, DialogRecorder& dialogs)
    {
        m_window->setFileChooser([destination](QWidget*, const FileRequest& request) {
            EXPECT_TRUE(request.save);
            return destination;
        });
        editLogging(
            dialogs, [](Ui::DialogLogging&) {}, "btnCollect");
    }

    std::set<std::string> files(const std::string& folder) const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    // The package is built in the temporary folder: the test sees what stays there.
    const std::string m_temporary = m_site.path("tmp").toStdString();
    test::EnvOverride m_tmpdir{"TMPDIR", m_temporary};
};

TEST_F(CollectDataTest, PackageWithTheInventoryGoesToTheChosenFile)
{
    const QString destination = m_site.path("support/report.zip");
    ASSERT_TRUE(QDir().mkpath(m_site.path("support")));
    DialogRecorder dialogs;
    collectTo(destination, dialogs);

    EXPECT_TRUE(dialogs.saw("[System] The report package was saved to " + destination));
    const auto entries = test::readArchive(destination.toStdString());
    ASSERT_EQ(entries.count("inventory.json"), 1u) << ::testing::PrintToString(test::namesOf(entries));
    EXPECT_NE(entries.at("inventory.json").content.find("\"name\":\"local\""), std::string::npos);
    EXPECT_EQ(entries.count("inventory.html"), 1u);
    const std::filesystem::path logs = m_site.path("config/log").toStdString();
    std::size_t logFiles = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(logs)) {
        logFiles += 1;
        EXPECT_EQ(entries.count(std::filesystem::relative(file.path(), logs).string()), 1u) << file.path();
    }
    EXPECT_GT(logFiles, 0u);
    EXPECT_TRUE(files(m_temporary).empty());
}

TEST_F(CollectDataTest, DestinationThatCannotBeWrittenIsToldAndLeavesNoFile)
{
    DialogRecorder dialogs;
    collectTo(m_site.path("missing/report.zip"), dialogs);
    EXPECT_TRUE(dialogs.saw("[System] Error! Cannot create package file in requested directory!"));
    EXPECT_FALSE(QDir(m_site.path("missing")).exists());
    EXPECT_TRUE(files(m_temporary).empty());

    // A folder or a FIFO in the file's place is refused in words and left as it is.
    ASSERT_TRUE(QDir().mkpath(m_site.path("taken/report.zip/inside")));
    collectTo(m_site.path("taken/report.zip"), dialogs);
    EXPECT_TRUE(dialogs.saw("[System] Error! The package file was not saved there!"));
    EXPECT_TRUE(dialogs.saw("taken/report.zip is a folder, not a regular file; it is left as it is"));
    const std::string fifo = m_site.path("taken/fifo.zip").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    collectTo(QString::fromStdString(fifo), dialogs);
    EXPECT_TRUE(dialogs.saw("fifo.zip is a FIFO (named pipe), not a regular file"));
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(fifo)));
    EXPECT_EQ(files(m_site.path("taken").toStdString()), (std::set<std::string>{"fifo.zip", "report.zip"}));
    EXPECT_TRUE(QDir(m_site.path("taken/report.zip/inside")).exists());
    EXPECT_TRUE(files(m_temporary).empty());
}

} // namespace
} // namespace z2e
