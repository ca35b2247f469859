#include "support/site.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace z2e::test {

ScratchFolder::ScratchFolder(const std::string& prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    // A test may have taken the write permission away to make a save fail.
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

EnvOverride::EnvOverride(const std::string& name, const std::optional<std::string>& value) : m_name(name)
{
    if (const char* old = std::getenv(name.c_str()))
        m_old = old;
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

EnvOverride::~EnvOverride()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

bool underFileSizeLimit(unsigned long bytes, const std::function<void()>& body)
{
    rlimit old{};
    if (::getrlimit(RLIMIT_FSIZE, &old) != 0)
        return false;
    rlimit tight = old;
    tight.rlim_cur = bytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool limited = ::setrlimit(RLIMIT_FSIZE, &tight) == 0;
    if (limited)
        body();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return limited;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string simExamplesDir()
{
    return ZMPXI_SIM_EXAMPLES_DIR;
}

SimSite::SimSite(SiteOptions options)
{
    for (const char* sub : {"config", "state", "runtime", "settings", "documents"})
        fs::create_directories(m_folder / sub);
    // Private, as a desktop session's runtime folder is.
    fs::permissions(m_folder / "runtime", fs::perms::owner_all);
    fs::copy_file(simExamplesDir() + "/zmpxi_api_config.xml", configFile());
    m_environment = {"ZMPXI_API_CONFIG_DIR=" + configFolder(),
                     "ZMPXI_SIM_STATE_DIR=" + m_folder / "state",
                     "XDG_RUNTIME_DIR=" + m_folder / "runtime",
                     "XDG_CONFIG_HOME=" + m_folder / "settings",
                     "ZAMO2_COMMON_DOCUMENTS=" + m_folder / "documents",
                     options.hardware ? "ZMPXI_SIM_HARDWARE=" + simExamplesDir() + "/hardware.xml"
                                      : std::string("ZMPXI_SIM_HARDWARE"),
                     options.fast ? "ZMPXI_SIM_SPEED=100000" : std::string("ZMPXI_SIM_SPEED")};
}

void SimSite::enter()
{
    for (const std::string& entry : m_environment) {
        const std::size_t equals = entry.find('=');
        m_entered.push_back(std::make_unique<EnvOverride>(
            entry.substr(0, equals),
            equals == std::string::npos ? std::nullopt : std::optional<std::string>(entry.substr(equals + 1))));
    }
}

} // namespace z2e::test
