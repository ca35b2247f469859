#pragma once
// What a register answers, wherever it keeps its records: this computer's file or the site's
// server. The command line and the window ask through this and never mind which one answers.

#include <string>
#include <vector>

namespace z2e {

struct AssetBoard;
struct AssetHistory;

class AssetReader {
public:
    virtual ~AssetReader() = default;

    /// Everything known of the board `serial` (any case); `history.found` false when it was
    /// never seen. False with lastError() set when the register could not be read.
    virtual bool history(const std::string& serial, AssetHistory& history) = 0;
    /// Every board known, by serial, each with its latest place.
    virtual bool boards(std::vector<AssetBoard>& boards) = 0;
    virtual const std::string& lastError() const = 0;
};

} // namespace z2e
