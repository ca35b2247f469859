#pragma once
// "Net Settings": the local network the network client works on — chosen automatically, one of
// this computer's interfaces, no network at all ("Off"), or (when allowed) a manual address.

#include "gui/window/window_settings.h"

#include <QDialog>
#include <QMetaType>

#include <memory>

namespace Ui {
class DialogSettings;
}

namespace uni {
class IfNetIfProvider;
}

Q_DECLARE_METATYPE(z2e::NetworkOptions)

namespace z2e {

class DialogSettings : public QDialog {
    Q_OBJECT

public:
    static const char* const kAutomatic;   ///< item data of "AUTO"
    static const char* const kNoNetwork;   ///< item data of "Off"
    static const char* const kManualItem;  ///< "Manual Configuration"

    /// The interface list comes from `interfaces` (within QORINET_ALLOWED_NETWORKS), read anew
    /// at each fill(); it must outlive the dialog.
    DialogSettings(const uni::IfNetIfProvider& interfaces, bool manualAllowed, QWidget* parent = nullptr);
    ~DialogSettings() override;

    /// Rebuilds the items and selects the one `current` names.
    void fill(const NetworkOptions& current, bool manualAllowed);
    /// The chosen record.
    NetworkOptions result() const;
    /// "Manual Configuration" is the chosen item.
    bool manualChosen() const;

private slots:
    void hdl_SelectionChanged(int index);

private:
    std::unique_ptr<Ui::DialogSettings> m_ui;
    const uni::IfNetIfProvider& m_interfaces;
};

} // namespace z2e
