#pragma once
// The log lines of one channel (or of all) in a file of their own while the object lives.
// Header only: the support library itself stays free of the product.

#include "support/site.h"

#include "uni/log.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace z2e::test {

class LogCapture {
public:
    explicit LogCapture(const std::string& channel = {})
    {
        uni::log::initialize();
        uni::log::FileSinkOptions options;
        options.fileName = m_folder / "captured.log";
        options.minSeverity = uni::log::debug;
        options.channel = channel;
        options.append = false;
        m_ok = uni::log::addFileSink(options);
    }
    ~LogCapture() { uni::log::removeAllSinks(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool ok() const { return m_ok; }
    std::string text() const
    {
        uni::log::flush();
        return readFile(m_folder / "captured.log");
    }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }
    /// Lines that contain `part`.
    long count(const std::string& part) const
    {
        const auto all = lines();
        return std::count_if(all.begin(), all.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
    }

private:
    ScratchFolder m_folder{"z2e-log"};
    bool m_ok = false;
};

} // namespace z2e::test
