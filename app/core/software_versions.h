#pragma once
// The records of the software versions list: the program itself first, with the revision and
// source hash of its build, then what the driver side reports. The versions dialog and
// `zamo2ctl versions` show the same list.

#include "core/system_model.h"

#include <string>
#include <vector>

namespace z2e {

/// Where the build came from; both "unknown" for a build outside a source checkout.
struct BuildIdentity {
    std::string revision;
    std::string hash;
    std::string package; ///< the installed package's version ("0.1.0")
};

extern const char* const kProgramComponent; ///< "ZAMO2Explorer"
extern const char* const kProgramVersion;   ///< "2.5.48441.00"
extern const char* const kDriverNotLoaded;  ///< "Driver Not Loaded"

/// The identity baked into this build at configure time.
BuildIdentity buildIdentity();
/// The one story of this program's version: "2.5.48441.00 (package 0.1.0, revision 370)".
std::string versionStory(const BuildIdentity& build);

/// The program's own record; its comment reads "Revision: R\nHash: H\n".
SoftwareVersionRecord programVersionRecord(const BuildIdentity& build);

/// The program's record, then `driverRecords`; while the driver library is not loaded, a
/// record of the driver library whose version reads "Driver Not Loaded" in their place.
std::vector<SoftwareVersionRecord> softwareVersionList(const BuildIdentity& build,
                                                       const std::vector<SoftwareVersionRecord>& driverRecords,
                                                       bool driverLoaded);

} // namespace z2e
