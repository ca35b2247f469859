#pragma once
// Scratch folders, environment overrides and the simulated site: a folder of its own for the
// driver stand-in (configuration, state, the runtime folder with its hardware lock) and for the
// program (settings, documents), with the environment that points both there.

#include "support/process.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace z2e::test {

/// A fresh folder below the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "z2e-test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

/// Sets (or, without a value, unsets) a variable of this process until it goes.
class EnvOverride {
public:
    EnvOverride(const std::string& name, const std::optional<std::string>& value);
    ~EnvOverride();
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
/// Names of the regular files directly in `folder`, sorted.
std::vector<std::string> filesIn(const std::string& folder);
/// Runs `body` with this process's file size limit at `bytes` (a full disk's stand-in) and
/// SIGXFSZ ignored, both restored after. False when the limit could not be set.
bool underFileSizeLimit(unsigned long bytes, const std::function<void()>& body);

/// sim/driver/examples: the example hardware description and driver configuration.
std::string simExamplesDir();

struct SiteOptions {
    /// The example hardware description; without it the driver sees no local boards.
    bool hardware = true;
    /// The driver's simulated waits shortened; benchmarks of real start-up leave them.
    bool fast = true;
};

class SimSite {
public:
    explicit SimSite(SiteOptions options = SiteOptions());

    const std::string& root() const { return m_folder.path(); }
    std::string operator/(const std::string& name) const { return m_folder / name; }
    std::string configFolder() const { return m_folder / "config"; }
    std::string configFile() const { return m_folder / "config/zmpxi_api_config.xml"; }
    /// For child processes.
    const Environment& environment() const { return m_environment; }
    /// Puts the environment into this process until the site goes.
    void enter();

private:
    ScratchFolder m_folder{"z2e-site"};
    Environment m_environment;
    std::vector<std::unique_ptr<EnvOverride>> m_entered;
};

} // namespace z2e::test
