#pragma once
// The text of the About box.

#include "core/software_versions.h"
#include "core/system_model.h"

#include <QString>

#include <vector>

namespace z2e {

class AboutText {
public:
    static const char* const kTitle; ///< "About Zamo2Explorer ..."

    /// Rich text: the program and its version, the driver library's version ("N/A" when the
    /// driver reports none) and the maker's address.
    static QString text(const BuildIdentity& build, const std::vector<SoftwareVersionRecord>& versions);
    /// The driver library's version among the driver's records, empty when absent.
    static std::string driverVersion(const std::vector<SoftwareVersionRecord>& versions);
};

} // namespace z2e
