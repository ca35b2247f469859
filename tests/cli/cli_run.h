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
