#pragma once
// One throw-away PostgreSQL cluster for the whole test program, started by the first test that
// needs it and gone with the program; each test gets a database of its own in it.

#include "support/pg_cluster.h"
#include "support/site.h"

#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

namespace z2e::testing_site {

class SiteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (cluster())
            return;
        cluster() = std::make_unique<test::PgCluster>();
        started() = cluster()->start();
    }

    void SetUp() override
    {
        if (!started() && cluster()->missing())
            GTEST_SKIP() << "no PostgreSQL server to test against: " << cluster()->why();
        ASSERT_TRUE(started()) << cluster()->why();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        m_database = name.substr(0, 60);
        ASSERT_TRUE(cluster()->createDatabase(m_database)) << cluster()->why();
    }

    std::string url() const { return cluster()->url(m_database); }

    /// The first value `query` gives, straight from the server.
    std::string sql(const std::string& query) const
    {
        PGconn* db = PQconnectdb(url().c_str());
        PGresult* result = PQexec(db, query.c_str());
        std::string value = PQntuples(result) > 0 ? PQgetvalue(result, 0, 0) : PQresultErrorMessage(result);
        PQclear(result);
        PQfinish(db);
        return value;
    }

    static std::unique_ptr<test::PgCluster>& cluster()
    {
        static std::unique_ptr<test::PgCluster> shared;
        return shared;
    }
    static bool& started()
    {
        static bool value = false;
        return value;
    }

    std::string m_database;
};

} // namespace z2e::testing_site
