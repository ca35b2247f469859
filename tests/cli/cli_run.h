#pragma once
// zamo2ctl from the folder of the test program, as a child process.

#include "support/process.h"
#include "support/site.h"

#include <string>
#include <vector>

using Args = std::vector<std::string>;

inline z2e::test::ProcessResult zamo2ctl(const Args& args, const z2e::test::Environment& environment = {})
{
    return z2e::test::runProcess(z2e::test::besideMe("zamo2ctl"), args, environment);
}

/// How often `part` stands in `text`, without overlaps.
inline std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}
