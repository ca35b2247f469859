#pragma once
// A throw-away PostgreSQL cluster for tests and benchmarks: initdb in a temporary folder, the
// server on a free loopback port with its socket in that folder, trust for the user "zamo2".
// PostgreSQL refuses to run as root, so as root the server programs run as the unprivileged
// user "postgres". The server dies with the process that started it (a parent-death signal),
// and a folder a killed run left behind is removed by the next start.

#include "support/process.h"

#include <memory>
#include <string>

namespace z2e::test {

class PgCluster {
public:
    PgCluster();
    /// Stops the server and removes the folder.
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    /// Makes the cluster and starts the server; false with why() when the server programs are
    /// not installed (missing() then tells) or the server does not start.
    bool start();
    /// A fast shutdown: connections are cut, what was committed stays.
    bool stop();
    /// The same cluster on the same port again.
    bool restart();
    /// A new empty database `name`.
    bool createDatabase(const std::string& name);
    /// postgresql://zamo2@127.0.0.1:PORT/DATABASE
    std::string url(const std::string& database) const;

    bool missing() const { return m_missing; }
    const std::string& why() const { return m_why; }

private:
    bool fail(const std::string& why);
    /// `program` of the server's folder, run as the server's user.
    ProcessResult runAsServer(const std::string& program, const std::vector<std::string>& args) const;
    bool launch();

    std::string m_bin;
    std::string m_folder;
    int m_port = 0;
    bool m_root = false;
    bool m_missing = false;
    std::unique_ptr<BackgroundProcess> m_server;
    std::string m_why;
};

} // namespace z2e::test
