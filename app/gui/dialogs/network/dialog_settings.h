#pragma once
// "Net Settings": the local network the network client works on — chosen automatically, one of
// this computer's interfaces, no network at all ("Off"), or (when allowed) a manual address.

#include "gui/window/window_settings.h"
#include "qorinet_api/client/local_interface_list.h"

#include <QDialog>
#include <QMetaType>

#include <memory>

namespace Ui {
class DialogSettings;
}

Q_DECLARE_METATYPE(z2e::NetworkOptions)

namespace z2e {

class DialogSettings : public QDialog {
    Q_OBJECT

public:
    static const char* const kAutomatic;  ///< item data of "AUTO"
    static const char* const kNoNetwork;  ///< item data of "Off"
    static const char* const kManualItem; ///< "Manual Configuration"

    /// The interface list comes from `interfaces`, read anew at each fill().
    DialogSettings(const qorinet_api::LocalInterfaceList& interfaces, bool manualAllowed, QWidget* parent = nullptr);
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
    qorinet_api::LocalInterfaceList m_interfaces;
};

} // namespace z2e
