#pragma once
// zamo2ctl from the folder of the test program, as a child process, and the checks of what it
// wrote.

#include "support/process.h"
#include "support/site.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace z2e::test {

using Args = std::vector<std::string>;

inline ProcessResult zamo2ctl(const Args& args, const Environment& environment = {})
{
    return runProcess(besideMe("zamo2ctl"), args, environment);
}

/// zamo2ctl with the words of `line` (split at blanks) for arguments.
inline ProcessResult ctl(const std::string& line, const Environment& environment = {})
{
    std::istringstream words(line);
    Args args;
    for (std::string word; words >> word;)
        args.push_back(word);
    return zamo2ctl(args, environment);
}

/// How often `part` stands in `text`, without overlaps.
inline std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

/// Whether `text` holds `part`; a failure shows the whole text.
inline ::testing::AssertionResult holds(const std::string& text, const std::string& part)
{
    if (text.find(part) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

/// zamo2ctl `line` ends with `status` and `says` stands in what it wrote for it: standard output
/// on success, standard error otherwise. The run, for more checks.
inline ProcessResult expectRun(int status, const std::string& line, const std::string& says = {},
                               const Environment& environment = {})
{
    ProcessResult run = ctl(line, environment);
    EXPECT_EQ(run.exitCode, status) << "zamo2ctl " << line << "\n" << run.out << run.err;
    EXPECT_TRUE(holds(status == 0 ? run.out : run.err, says)) << "zamo2ctl " << line;
    return run;
}

} // namespace z2e::test
