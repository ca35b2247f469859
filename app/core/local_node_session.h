#pragma once
// The local node reached from a short-lived program run (the command line): the driver library
// loaded, optionally told its simulation mode, connected, with the command layer on top.
// Disconnects when it goes away.

#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <string>

namespace z2e {

class LocalNodeSession {
public:
    /// Connects at once, to the library at `driverPath` unless that is empty. A non-empty
    /// `simulationMode` ("SIMMODE_…") is handed to the driver between load and connect, where
    /// its init reads it.
    LocalNodeSession(const std::string& driverPath, const std::string& simulationMode);
    ~LocalNodeSession();
    LocalNodeSession(const LocalNodeSession&) = delete;
    LocalNodeSession& operator=(const LocalNodeSession&) = delete;

    bool connected() const { return m_result <= 0; }
    /// The result of connect.
    std::int32_t result() const { return m_result; }
    /// The driver's answer to the simulation mode; 0 when none was given.
    std::int32_t simulationModeResult() const { return m_modeResult; }

    std::uint32_t boardCount() const;
    std::uint32_t enclosureCount() const;
    bool isSimulation() const;
    QorinNodeUtilWrapper& wrapper() { return m_wrapper; }

private:
    QorinNodeUtilWrapper m_wrapper;
    std::int32_t m_result = 0;
    std::int32_t m_modeResult = 0;
};

} // namespace z2e
