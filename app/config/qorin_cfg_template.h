#pragma once

namespace z2e {

/// The built-in driver configuration written when the file on disk cannot be used:
/// documentation of the allowed values, default logging, no simulated enclosures.
const char* qorinCfgTemplate();

} // namespace z2e
