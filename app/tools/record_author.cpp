#include "tools/record_author.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace z2e {

std::string RecordAuthor::user()
{
    if (const char* user = std::getenv("USER"); user && *user)
        return user;
    // Journals are made on several threads at once (one per node of a run over many).
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->pw_name;
    return std::to_string(::geteuid());
}

std::string RecordAuthor::host()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string RecordAuthor::computer()
{
    if (const char* computer = std::getenv("ZAMO2_COMPUTER"); computer && *computer)
        return std::string(computer).substr(0, 255);
    return host();
}

} // namespace z2e
