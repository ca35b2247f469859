#pragma once
// The optional features of a board's base board: read from its properties document, combined
// into the 32-bit feature set, written through the command layer and read back. Journalled
// like every board change.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_read_back.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;

struct FeatureChoice {
    std::uint32_t value = 0;
    std::string text;
};

/// One visible feature: its bits in the feature set and its visible values.
struct FeatureRow {
    std::string name;
    std::uint32_t mask = 0;
    std::vector<FeatureChoice> values;

    /// Index of the value `featureSet` holds in this feature's bits; -1 when none matches.
    int selected(std::uint32_t featureSet) const;
    /// Index of the value whose text is `text`; -1 when there is none.
    int find(const std::string& text) const;
};

struct FeatureTable {
    std::string boardId; ///< "BoardID" of the document
    std::uint32_t featureSet = 0;
    std::vector<FeatureRow> rows; ///< document order; hidden items and values left out
};

class BoardFeatures {
public:
    /// `journal` may be null: then nothing is snapshotted or journalled.
    BoardFeatures(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// The table of a properties document; empty without a "Properties" element.
    static FeatureTable parse(const std::string& properties);
    /// `featureSet` with `value` in the bits of `mask`; unchanged when the value has bits
    /// outside the mask.
    static std::uint32_t apply(std::uint32_t featureSet, std::uint32_t mask, std::uint32_t value);

    /// Reads the board's properties into `table`; 200 when they cannot be read, 4103 for a
    /// board the node does not have.
    std::int32_t read(std::uint32_t board, FeatureTable& table);
    /// Writes `featureSet` to the board (commands 1027 and 1056 after it) and reads key and
    /// properties again: the answer of 1056, the write's failure, or 4009 when the snapshot
    /// fails (nothing sent then).
    std::int32_t write(std::uint32_t board, std::uint32_t featureSet);

    /// The board after the last write; its verification compares the feature set.
    const BoardReadBack& readBack() const { return m_readBack; }
    const std::string& message() const { return m_message; }

private:
    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    BoardReadBack m_readBack;
    std::string m_message;
};

} // namespace z2e
