#pragma once
// "Local System Logging": the driver's four logging settings and "Collect data". The values are
// the main window's (it compares them with the driver configuration when it closes); the
// allowed ones are the configuration's option lists, any value where a list is empty.

#include "config/driver_log_settings.h"

#include <QDialog>

#include <memory>

class QComboBox;

namespace Ui {
class DialogLogging;
}

namespace z2e {

class DialogLogging : public QDialog {
    Q_OBJECT

public:
    explicit DialogLogging(QWidget* parent);
    ~DialogLogging() override;

    /// Shows `settings`: the name in the edit, each value chosen among its options.
    void setSettings(const DriverLogSettings& settings);
    /// The driver configuration file, whose log folder a new file name is checked in.
    void setConfigFile(const std::string& path) { m_configFile = path; }
    /// The shown settings with the edits applied (".log" appended to a name without a dot).
    /// Valid once the dialog closed accepted: however it closes, unless a value was refused.
    const DriverLogSettings& settings() const { return m_settings; }

signals:
    /// "Collect data" was clicked; the dialog stays open meanwhile.
    void collectData(bool checked);

protected:
    /// Keeps the values shown (the result is Accepted), or says why one is refused and keeps
    /// none (Rejected).
    void done(int result) override;

private:
    static void fillChoice(QComboBox& combo, const std::vector<std::string>& options, const std::string& value);

    std::unique_ptr<Ui::DialogLogging> m_ui;
    DriverLogSettings m_settings;
    std::string m_configFile;
};

} // namespace z2e
