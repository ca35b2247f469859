#pragma once
// The base EEPROM generations a board may be rewritten as: the driver's list of known entries,
// filtered by the board's type code and our table of model-name suffixes per type code.

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class EepromModelList {
public:
    /// One entry of "BoardListing/BaseEEPROM" / "entries".
    struct Entry {
        std::string id;
        std::string name; ///< model name, e.g. "QA-4008.BNC"
        std::int32_t typeCode = -1;
        std::string baseModel;   ///< e.g. "QBA-08"
        std::string baseVersion; ///< the revision, e.g. "3"
    };

    /// The entries of the driver's list in its order; false when it does not parse.
    static bool parse(const std::string& document, std::vector<Entry>& entries);
    /// The part of a model name behind its family and number: ".BNC" of "QA-4008.BNC",
    /// "-TEMP" of "QA-4032-TEMP", "" of "QA-4016".
    static std::string suffixOf(const std::string& name);
    /// Whether a board of `typeCode` may become `entry`: the entry is of that type code and
    /// its suffix is one the table allows for it. Type codes outside the table offer nothing.
    static bool offered(std::int32_t typeCode, const Entry& entry);
    /// The offered entries, in the list's order.
    static std::vector<Entry> offeredEntries(std::int32_t typeCode, const std::vector<Entry>& entries);

    /// The combo box texts: each name padded with blanks to the longest name plus one,
    /// "Model:", the base model, "          Revision:" and the revision.
    static std::vector<std::string> comboTexts(const std::vector<Entry>& entries);
    /// Name, model and revision of a combo text; false when it is none.
    static bool splitComboText(const std::string& text, std::string& name, std::string& model, std::string& revision);
};

} // namespace z2e
