#include "tools/calibration_due.h"

#include <cstdio>
#include <ctime>

namespace z2e {
namespace {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool leap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysIn(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

// Strictly "YYYY-MM-DD" with a day the month has: a date read from an EEPROM is untrusted.
bool parse(const std::string& text, Date& date)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    date.year = std::stoi(text.substr(0, 4));
    date.month = std::stoi(text.substr(5, 2));
    date.day = std::stoi(text.substr(8, 2));
    return date.year >= 1970 && date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= daysIn(date.year, date.month);
}

// Days since 1970-01-01 (proleptic Gregorian calendar).
long dayNumber(const Date& date)
{
    const int y = date.month <= 2 ? date.year - 1 : date.year;
    const long era = y / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string text(const Date& date)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

} // namespace

std::string CalibrationDue::dueDate(const std::string& calibrated, int months)
{
    Date date;
    if (months <= 0 || !parse(calibrated, date))
        return {};
    const int total = date.month - 1 + months;
    date.year += total / 12;
    date.month = total % 12 + 1;
    if (date.year > 9999)
        return {};
    if (date.day > daysIn(date.year, date.month))
        date.day = daysIn(date.year, date.month);
    return text(date);
}

bool CalibrationDue::daysUntil(const std::string& today, const std::string& due, long& days)
{
    Date from;
    Date to;
    if (!parse(today, from) || !parse(due, to))
        return false;
    days = dayNumber(to) - dayNumber(from);
    return true;
}

CalibrationDue::State CalibrationDue::state(const std::string& due, const std::string& today)
{
    long days = 0;
    if (!daysUntil(today, due, days))
        return State::Unknown;
    if (days < 0)
        return State::Overdue;
    return days <= kSoonDays ? State::DueSoon : State::Current;
}

const char* CalibrationDue::word(State state)
{
    switch (state) {
    case State::Overdue: return "overdue";
    case State::DueSoon: return "due soon";
    case State::Current: return "current";
    case State::Unknown: break;
    }
    return "";
}

std::string CalibrationDue::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return text({utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday});
}

} // namespace z2e
