#pragma once
// "Update Temperatures": the temperatures of a row's board or enclosure read again behind the
// progress window, and its rows shown anew in place.

#include <QString>

#include <cstdint>

class QModelIndex;
class QWidget;

namespace z2e {

class CTreeViewModel;
class ModelNode;
class QorinNodeUtilWrapper;

class TemperatureUpdate {
public:
    /// For the row at `index` of `model`, whose nodes belong to the tree below `root`: reads the
    /// temperatures of its element through `node` and refreshes the element's rows. Returns the
    /// outcome for the status bar.
    static QString run(CTreeViewModel& model, const QModelIndex& index, ModelNode& root, QorinNodeUtilWrapper& node,
                       QWidget* parent);
    /// The status bar's text for the result of a reading through `node` (may be null).
    static QString outcome(std::int32_t result, const QorinNodeUtilWrapper* node);
};

} // namespace z2e
