#pragma once
// A bus trace as a CSV file a spreadsheet opens: a header line, then one frame per line
// (bus, time, channel, id, flags, length, data in hex, data as text). Written whole through a
// temporary file; read back with every line checked, since the file may come from anywhere.

#include "tools/bus_monitor.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace z2e {

class BusTraceFile {
public:
    static constexpr const char* kHeader = "bus,time_us,channel,id,flags,length,data,text";
    /// Larger files are refused before reading: a trace of the ring's largest size fits well.
    static constexpr std::size_t kMaxFileBytes = 256u << 20;
    static constexpr std::size_t kMaxLineBytes = 4096;

    /// Writes `records` to `path`. Devices, FIFOs, folders and links are refused, an existing
    /// file is replaced only with `replace`. False with `error` in words; `refused` tells a
    /// refusal (nothing written) from a failure.
    static bool write(const std::string& path, BusKind kind, const std::deque<BusRecord>& records, bool replace,
                      std::string& error, bool* refused = nullptr);
    /// Reads a trace written by write(). False with `error` naming the line at fault.
    static bool read(const std::string& path, BusKind& kind, std::vector<BusRecord>& records, std::string& error);

    /// One frame as its line, without the line end.
    static std::string line(BusKind kind, const BusRecord& record);
    /// Parses one line; false with `error` for anything write() does not make.
    static bool parseLine(const std::string& line, BusKind& kind, BusRecord& record, std::string& error);
};

} // namespace z2e
