#include "cli_tool_runner.h"

namespace z2e {
namespace cli {

CliToolRunner::CliToolRunner(std::initializer_list<const char*> verbs, CliRunner run)
{
    for (const char* verb : verbs)
        runners()[verb] = run;
}

CliRunner CliToolRunner::find(const std::string& verb)
{
    const auto it = runners().find(verb);
    return it != runners().end() ? it->second : nullptr;
}

// Built on first use: the objects that fill it may be made before any other static.
std::map<std::string, CliRunner>& CliToolRunner::runners()
{
    static std::map<std::string, CliRunner> table;
    return table;
}

} // namespace cli
} // namespace z2e
