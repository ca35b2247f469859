#pragma once
// The runner of a tool's zamo2ctl command, named in the tool's own command file, so that a new
// tool's command joins the dispatch without an edit of it (cli_commands.cpp asks find()).

#include "cli_options.h"

#include <initializer_list>
#include <map>
#include <string>

namespace z2e {
namespace cli {

using CliRunner = int (*)(const CliOptions& options);

class CliToolRunner {
public:
    /// Names `run` as the runner of the ToolRegistry commands `verbs`: one object at namespace
    /// scope of a command file, made before main() starts.
    CliToolRunner(std::initializer_list<const char*> verbs, CliRunner run);

    /// The runner of `verb`; null when no command file named one.
    static CliRunner find(const std::string& verb);

private:
    static std::map<std::string, CliRunner>& runners();
};

} // namespace cli
} // namespace z2e
