#pragma once
// The base board and connector panel EEPROM documents: defaults for a model, and reading
// and editing the facts the driver keeps in them.

#include <cstdint>
#include <string>
#include <vector>

#include "product_catalog.h"

namespace pugi {
class xml_node;
}

namespace zmpxi_sim {

/// Calibration of one analog channel.
struct ChannelCal {
    double gain = 1.0;
    double offset = 0.0;
};

/// What both EEPROM documents carry: identity, calibration and test records.
struct EepromFacts {
    std::string name;
    std::string serialNumber;
    std::string calDate;
    std::string calTemp;
    std::string testPassed;
    std::string testDate;
};

/// What the driver reads back from a base EEPROM document.
struct BaseFacts : EepromFacts {
    std::string baseModel;
    std::string baseVersion;
    std::uint32_t featureSet = 0;
    std::vector<ChannelCal> selfCal;
    std::vector<ChannelCal> factoryCal;
};

struct ConFacts : EepromFacts {
    std::string conModel;
    std::string conVersion;
};

/// Element names of the calibration and test records in one kind of document.
struct RecordNames {
    const char* cal;
    const char* test;
    const char* temperature;
};

class EepromDocuments {
public:
    /// The factory content of a base EEPROM of `model` in generation `baseVersion`, calibrated
    /// on `calDate` (empty: a date derived from the serial number).
    static std::string defaultBase(const BoardModel& model, const std::string& baseVersion,
                                   const std::string& serialNumber, std::uint32_t featureSet,
                                   const std::string& calDate = std::string());
    static std::string defaultCon(const BoardModel& model, const std::string& serialNumber,
                                  const std::string& calDate = std::string());

    /// False when the text does not parse or lacks the root or BoardInfo.
    static bool readBase(const std::string& text, BaseFacts& facts);
    static bool readCon(const std::string& text, ConFacts& facts);

    /// Edits in place; false when the document does not parse.
    static bool setFeatureSet(std::string& text, std::uint32_t featureSet);
    static bool setSelfCal(std::string& text, const std::vector<ChannelCal>& cal, const std::string& date);

    /// Appends the calibration record, which it returns, and the test record.
    static pugi::xml_node appendRecords(pugi::xml_node parent, const RecordNames& names, const EepromFacts& facts);

    /// Calendar date "YYYY-MM-DD" derived from a seed text (factory dates are fixed per board).
    static std::string seededDate(const std::string& seed, int firstYear);
    /// Today's date in UTC.
    static std::string today();
};

} // namespace zmpxi_sim
