#include "support/pg_cluster.h"

#include <arpa/inet.h>
#include <glob.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace z2e::test {

namespace {

namespace fs = std::filesystem;

const char* const kFolderPrefix = "z2e-pg-";
constexpr auto kStartLimit = std::chrono::seconds(60);

// The newest server programs installed, or $ZAMO2_PG_BIN.
std::string serverPrograms()
{
    if (const char* named = std::getenv("ZAMO2_PG_BIN"); named && *named)
        return named;
    glob_t found{};
    std::string newest;
    if (::glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0 && found.gl_pathc > 0)
        newest = fs::path(found.gl_pathv[found.gl_pathc - 1]).parent_path();
    ::globfree(&found);
    return newest;
}

// A port the kernel has free on loopback now.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

// Folders of runs whose process is gone (killed before its clean-up).
void removeStaleFolders()
{
    const fs::path temporary = fs::temp_directory_path();
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(temporary, ignored)) {
        const std::string name = entry.path().filename();
        if (name.rfind(kFolderPrefix, 0) != 0)
            continue;
        const long pid = std::strtol(name.c_str() + std::string(kFolderPrefix).size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            fs::remove_all(entry.path(), ignored);
    }
}

} // namespace

PgCluster::PgCluster() : m_bin(serverPrograms()), m_root(::geteuid() == 0) {}

PgCluster::~PgCluster()
{
    stop();
    if (!m_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
}

bool PgCluster::fail(const std::string& why)
{
    m_why = why;
    return false;
}

ProcessResult PgCluster::runAsServer(const std::string& program, const std::vector<std::string>& args) const
{
    std::vector<std::string> all;
    if (m_root)
        all = {"--reuid=postgres", "--regid=postgres", "--init-groups", "--", m_bin + "/" + program};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(m_root ? "/usr/bin/setpriv" : m_bin + "/" + program, all, {}, std::chrono::seconds(120));
}

bool PgCluster::start()
{
    if (m_bin.empty() || !fs::exists(m_bin + "/initdb") || !fs::exists(m_bin + "/postgres")) {
        m_missing = true;
        return fail("the PostgreSQL server programs are not installed (Debian: apt-get install postgresql; "
                    "tools/setup does it)");
    }
    passwd* server = m_root ? ::getpwnam("postgres") : nullptr;
    if (m_root && !server) {
        m_missing = true;
        return fail("running as root, and there is no user \"postgres\" to run the server as");
    }
    removeStaleFolders();
    std::string pattern = (fs::temp_directory_path() / (kFolderPrefix + std::to_string(::getpid()) + "-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return fail("cannot make a folder for the cluster");
    m_folder = pattern;
    if (server && ::chown(m_folder.c_str(), server->pw_uid, server->pw_gid) != 0)
        return fail("cannot give the cluster's folder to the user postgres");
    const ProcessResult made = runAsServer(
        "initdb", {"-D", m_folder + "/data", "-U", "zamo2", "-A", "trust", "-E", "UTF8", "--no-locale", "--no-sync"});
    if (made.exitCode != 0)
        return fail("initdb failed: " + made.out + made.err);
    m_port = freePort();
    return launch();
}

bool PgCluster::launch()
{
    // Durability is not under test; a parent-death signal ends the server with the test.
    std::vector<std::string> args = {"--pdeathsig", "KILL"};
    if (m_root) {
        for (const char* each : {"--reuid=postgres", "--regid=postgres", "--init-groups"})
            args.push_back(each);
    }
    for (const std::string& each :
         {std::string("--"), m_bin + "/postgres", std::string("-D"), m_folder + "/data", std::string("-p"),
          std::to_string(m_port), std::string("-k"), m_folder, std::string("-c"),
          std::string("listen_addresses=127.0.0.1"), std::string("-c"), std::string("fsync=off")})
        args.push_back(each);
    m_server = std::make_unique<BackgroundProcess>();
    if (!m_server->start("/usr/bin/setpriv", args))
        return fail("cannot start the PostgreSQL server");
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (m_server->errors().find("ready to accept connections") == std::string::npos) {
        if (m_server->waitForEnd(std::chrono::milliseconds(20)) || std::chrono::steady_clock::now() > deadline) {
            const std::string log = m_server->errors();
            m_server->stop();
            m_server.reset();
            return fail("the PostgreSQL server did not start: " + log);
        }
    }
    return true;
}

bool PgCluster::stop()
{
    if (!m_server)
        return true;
    m_server->signal(SIGINT);
    const bool ended = m_server->waitForEnd(std::chrono::seconds(30));
    m_server->stop();
    m_server.reset();
    return ended;
}

bool PgCluster::restart()
{
    stop();
    return launch();
}

bool PgCluster::createDatabase(const std::string& name)
{
    const ProcessResult made =
        runProcess(m_bin + "/createdb", {"-h", "127.0.0.1", "-p", std::to_string(m_port), "-U", "zamo2", name});
    return made.exitCode == 0 || fail("createdb failed: " + made.err);
}

std::string PgCluster::url(const std::string& database) const
{
    return "postgresql://zamo2@127.0.0.1:" + std::to_string(m_port) + "/" + database;
}

} // namespace z2e::test
