#pragma once
// Everything wrong with a system, one entry per problem: where (enclosure/slot, model,
// serial), what (with its numbers) and what to do. Read from the same tree the window and
// `zamo2ctl tree` show, so that a red row and a problem always go together; a board with two
// red rows for one fault (its caption and its name row) is one problem.

#include <string>
#include <vector>

namespace z2e {

class ModelNode;

struct Problem {
    enum class Kind {
        FirmwareOld,
        FirmwareNewer,
        FirmwareUnknown,
        EepromUnreadable,
        TemperatureHigh,
        SelfTestFailed,
        NodeUnreadable,
        Warning
    };

    Kind kind = Kind::Warning;
    std::string where;               ///< "enclosure 0 slot 5  QA-4016 10A80003"; the system's name for a node
    std::string what;                ///< in words, with the measured value and the limit where there is one
    std::string todo;                ///< the tool or step that addresses it
    const ModelNode* node = nullptr; ///< the row that shows it
};

class ProblemList {
public:
    /// The problems of the system below `root`, in tree order.
    static std::vector<Problem> of(const ModelNode& root);
    /// The boards of the tree below `root`: slots holding one, orphans, a node's full slots.
    static std::vector<const ModelNode*> boards(const ModelNode& root);
    /// "0/5  QA-4016 10A80003" for a board row; "" for another.
    static std::string place(const ModelNode& node);
    /// "Enclosure 0, slot 5:  QA-4016" for a board row (a title's words); "" for another.
    static std::string title(const ModelNode& node);
    /// The serial number a board row shows; "" when it shows none.
    static std::string serialOf(const ModelNode& board);
    /// The words of a kind for scripts: "firmware-old", "temperature-high", ...
    static const char* kindName(Problem::Kind kind);

private:
    struct BoardPlace {
        std::string enclosure; ///< "" for an orphan
        std::string slot;
        std::string model;
    };
    static BoardPlace placeOf(const ModelNode& node);
    static void walk(const ModelNode& node, std::vector<Problem>& problems);
    static void board(const ModelNode& node, std::vector<Problem>& problems);
};

} // namespace z2e
