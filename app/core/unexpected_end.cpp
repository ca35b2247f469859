#include "core/unexpected_end.h"

#include "uni/log.h"

#include <cstdio>
#include <exception>

namespace z2e {

std::string runCatching(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        const std::string what = e.what();
        return what.empty() ? "an unknown error" : what;
    } catch (...) {
        return "an unknown error";
    }
    return {};
}

std::string unexpectedEndText(const std::string& failure, const std::string& logFile)
{
    std::string text = "ZAMO2Explorer ended after an unexpected error: " + failure + ". ";
    if (!logFile.empty())
        text += "Its log " + logFile + " tells what it was doing. ";
    return text +
           "Start it again; should it happen again, make a report package and send it with a word on what was done.";
}

void reportUnexpectedEnd(const std::string& failure, const std::string& logFile)
{
    if (failure.empty())
        return;
    UNI_LOG("Application", uni::log::error) << "the window ended after an exception: " << failure;
    std::fprintf(stderr, "%s\n", unexpectedEndText(failure, logFile).c_str());
}

} // namespace z2e
