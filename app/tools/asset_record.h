#pragma once
// The record a site register is sent, and the column order both registers read it in.

#include <cstdint>
#include <functional>
#include <string>

namespace z2e {

/// One fact as the site register keeps it: a board seen at a place, or a journal line about it.
/// The local register keeps each in order, so that an upload sends those after its mark.
struct AssetRecord {
    static constexpr const char* kSeen = "seen";
    static constexpr const char* kEvent = "event";
    std::int64_t id = 0; ///< the local register's order
    std::string kind;    ///< kSeen or kEvent
    std::string serialKey;
    std::string serial;
    std::string model;
    std::string time;
    std::string system; ///< where it was seen; an event's node
    std::int32_t enclosure = -1;
    std::uint32_t slot = 0xFFFFFFFFu;
    std::string place; ///< an event's "E/S"
    std::string firmware;
    std::string calibrationDate;
    std::string operation;
    std::int64_t result = 0;
    std::string status;
    std::string verification;
    std::string firmwareBefore;
    std::string firmwareAfter;
    std::string resultDocument;
    std::string computer; ///< set by the upload: one register is one computer's
    std::string user;     ///< the operating-system user who ran the tool

    /// The columns of a record as both registers select them, from `first` on: kind, serial_key,
    /// serial, model, time, system, enclosure, slot, place, firmware, calibration_date,
    /// operation, result, status, verification, firmware_before, firmware_after,
    /// result_document, user. Numbers that do not read stay as they are.
    static constexpr int kColumns = 19;
    static AssetRecord fromColumns(const std::function<std::string(int)>& text, int first);
};

} // namespace z2e
