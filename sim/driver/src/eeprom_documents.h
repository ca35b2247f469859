#pragma once
// The base board and connector panel EEPROM documents: defaults for a model, and reading
// and editing the facts the driver keeps in them.

#include <cstdint>
#include <string>
#include <vector>

#include "product_catalog.h"

namespace zmpxi_sim {

/// Calibration of one analog channel.
struct ChannelCal {
    double gain = 1.0;
    double offset = 0.0;
};

/// What the driver reads back from a base EEPROM document.
struct BaseFacts {
    std::string name;
    std::string baseModel;
    std::string baseVersion;
    std::string serialNumber;
    std::uint32_t featureSet = 0;
    std::string calDate;
    std::string testPassed;
    std::string testDate;
    std::string calTemp;
    std::vector<ChannelCal> selfCal;
    std::vector<ChannelCal> factoryCal;
};

struct ConFacts {
    std::string name;
    std::string conModel;
    std::string conVersion;
    std::string serialNumber;
    std::string calDate;
    std::string calTemp;
    std::string testPassed;
    std::string testDate;
};

class EepromDocuments {
public:
    /// The factory content of a base EEPROM of `model` in generation `baseVersion`.
    static std::string defaultBase(const BoardModel& model, const std::string& baseVersion,
                                   const std::string& serialNumber, std::uint32_t featureSet);
    static std::string defaultCon(const BoardModel& model, const std::string& serialNumber);

    /// False when the text does not parse or lacks the root or BoardInfo.
    static bool readBase(const std::string& text, BaseFacts& facts);
    static bool readCon(const std::string& text, ConFacts& facts);

    /// Edits in place; false when the document does not parse.
    static bool setFeatureSet(std::string& text, std::uint32_t featureSet);
    static bool setSelfCal(std::string& text, const std::vector<ChannelCal>& cal, const std::string& date);

    /// Calendar date "YYYY-MM-DD" derived from a seed text (factory dates are fixed per board).
    static std::string seededDate(const std::string& seed, int firstYear);
    /// Today's date in UTC.
    static std::string today();
};

} // namespace zmpxi_sim
