#pragma once
// The two temperature rows of a board: how a reading is shown (a part that runs hot carries a
// warning, which makes its row red) and how the rows of an element are read again from the
// node it belongs to.

#include <cstdint>
#include <string>

namespace z2e {

class ModelNode;
class QorinNodeUtilWrapper;
struct NetworkNodeRecord;

class TemperatureRows {
public:
    /// Above this a board part runs hot: the limit of the driver's own self test.
    static constexpr double kHotLimitDegC = 70.0;
    /// Follows the reading of a hot part.
    static const char* const kHotWarning;

    /// A reading (degrees Celsius as text) above kHotLimitDegC.
    static bool runsHot(const std::string& reading);
    /// "N.A." for an empty reading or one containing "N.A."; else the reading with "degC"
    /// appended directly, and kHotWarning after it above kHotLimitDegC.
    static std::string shownValue(const std::string& reading);

    /// Adds the "BaseBoard" and "ConPanel " rows of two readings below a board's row; they take
    /// its lock.
    static void add(ModelNode& board, const std::string& base, const std::string& con);

    /// The element whose temperatures `row` shows: the nearest board (a network node's slot
    /// row too) or enclosure at or above it; null when there is none.
    static const ModelNode* elementOf(const ModelNode& row);

    /// Reads the temperatures of every board at or below `element` (a node of the tree below
    /// `root`) again through `node`, the local driver or a network node, and rewrites the
    /// boards' rows. A board whose reading fails shows "N.A.". The first failing result, else
    /// 0; 7 when `element` is not below `root`.
    static std::int32_t update(ModelNode& root, const ModelNode& element, QorinNodeUtilWrapper& node);
    /// The same for a network node, whose tree is built from `record`: reads the boards of
    /// `element`, a row of that tree (null: every board of the node), into the record, from
    /// which the tree is then built again. The first failing result, else 0.
    static std::int32_t update(NetworkNodeRecord& record, const ModelNode* element, QorinNodeUtilWrapper& node);
};

} // namespace z2e
