#include "gui/window/temperature_update.h"

#include "core/node_result_text.h"
#include "core/temperature_rows.h"
#include "driver/command/app_status.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/models/tree_view_model.h"

namespace z2e {

QString TemperatureUpdate::run(CTreeViewModel& model, const QModelIndex& index, ModelNode& root,
                               QorinNodeUtilWrapper& node, QWidget* parent)
{
    const ModelNode* row = model.nodeAt(index);
    const ModelNode* element = row ? TemperatureRows::elementOf(*row) : nullptr;
    if (!element)
        return "This row belongs to no board or enclosure.";
    QModelIndex shown = index;
    while (shown.isValid() && model.nodeAt(shown) != element)
        shown = shown.parent();

    // The words may ask the node for its text of a failure: on the worker too.
    QString words;
    const std::int32_t result =
        CMiscUtils::runBehindProgress("Temperatures", "Reading the temperatures.", parent, [&](CInProgress&) {
            const std::int32_t read = TemperatureRows::update(root, *element, node);
            words = outcome(read, &node);
            return read;
        });
    model.refreshRows(shown);
    return words.isEmpty() ? outcome(result, nullptr) : words;
}

QString TemperatureUpdate::outcome(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    if (result == AppStatus::Ok)
        return "Temperatures updated.";
    return QString("Not every temperature could be read: %1").arg(QString::fromStdString(nodeResultText(result, node)));
}

} // namespace z2e
