#pragma once
// The shown rows of a tree as text for others to read: the parts of a row for the clipboard,
// and a whole tree as indented text, CSV or JSON. The window's copy and export and the command
// line write the same texts.

#include "core/tree_row_list.h"

#include <string>
#include <vector>

namespace z2e {

/// A row text cut where its value begins (the first ":   "); a row without a value keeps
/// its whole text as the name.
struct RowParts {
    std::string name;
    std::string value;
};

class TreeRowText {
public:
    static RowParts split(const std::string& rowText);
    /// "name: value", or the name alone for a row without a value.
    static std::string nameAndValue(const std::string& rowText);
    /// Word for a node type in exports ("enclosure", "board", ...).
    static const char* kindName(std::uint32_t nodeType);

    /// One line per row, two spaces of indentation per depth below the first row's; lines of a
    /// multi-line row stay under its text.
    static std::string indented(const std::vector<TreeRow>& rows);
    /// "depth,kind,red,name,value,text" and one line per row, quoted where needed.
    static std::string csv(const std::vector<TreeRow>& rows);
    /// A JSON array of the top rows, each {"text","name","value","kind","red","depth",
    /// "children"}; a value that is a JSON number is written as one, no value is null.
    static std::string jsonTree(const std::vector<TreeRow>& rows);
};

} // namespace z2e
