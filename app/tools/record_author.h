#pragma once
// Who makes a record: the operating-system user and this computer, as the journal and the site
// register name them.

#include <string>

namespace z2e {

class RecordAuthor {
public:
    /// $USER, else the effective user's name, else its number.
    static std::string user();
    /// The host name; empty when it cannot be read.
    static std::string host();
    /// This computer in the site register: $ZAMO2_COMPUTER, else the host name (computers made
    /// from one disk image share a host name, so a site may name them itself).
    static std::string computer();
};

} // namespace z2e
