#pragma once
// When a board's calibration falls due, and how close that is.

#include <string>

namespace z2e {

class CalibrationDue {
public:
    enum class State { Unknown, Current, DueSoon, Overdue };
    static constexpr int kDefaultIntervalMonths = 12;
    static constexpr int kSoonDays = 30;

    /// `calibrated` ("YYYY-MM-DD") plus `months`, the day kept where the month has it, else its
    /// last day; "" when `calibrated` is no date or `months` is not positive.
    static std::string dueDate(const std::string& calibrated, int months);
    /// Days from `today` to `due` (both "YYYY-MM-DD"); false when either is no date.
    static bool daysUntil(const std::string& today, const std::string& due, long& days);
    /// Overdue after the due day, DueSoon within kSoonDays of it, Unknown without dates.
    static State state(const std::string& due, const std::string& today);
    /// "overdue", "due soon", "current" or "".
    static const char* word(State state);
    /// Today in UTC as "YYYY-MM-DD".
    static std::string today();
};

} // namespace z2e
