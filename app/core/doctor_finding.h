#pragma once
// One finding of the discovery doctor: how serious, what was found, the facts behind it and
// what to do next, in words for the operator.

#include <string>

namespace z2e {

struct DoctorFinding {
    enum class Level { Ok, Warning, Problem };

    Level level = Level::Ok;
    std::string title;
    std::string detail;
    std::string nextStep; ///< "" when nothing needs doing

    /// "ok", "warning", "problem".
    static const char* levelName(Level level)
    {
        switch (level) {
        case Level::Warning: return "warning";
        case Level::Problem: return "problem";
        case Level::Ok: break;
        }
        return "ok";
    }
};

} // namespace z2e
