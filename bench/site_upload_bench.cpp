// An upload of 100,000 records to the site register (one transaction: COPY into a temporary
// table, then added to the records where the server has none of the same key), against a bare
// COPY of the same rows into a table of the same columns and key, alternately, on a throw-away
// PostgreSQL cluster on loopback. Both tables are emptied before each turn, so every row is new.
// Reported: upload_ms, copy_ms and their ratio (target <= 2).

#include "support/pg_cluster.h"
#include "tools/asset_register.h"
#include "tools/site_register.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 100000;

std::vector<z2e::AssetRecord> records()
{
    std::vector<z2e::AssetRecord> all;
    for (int i = 0; i < kRecords; ++i) {
        z2e::AssetRecord r;
        char text[40];
        std::snprintf(text, sizeof text, "10A8%04X", i % 1000);
        r.kind = z2e::AssetRecord::kSeen;
        r.serial = r.serialKey = text;
        r.model = "QA-4008.BNC";
        std::snprintf(text, sizeof text, "2026-%02d-%02dT%02d:00:00.000Z", 1 + i / 24000, 1 + i / 1000 % 24, i % 24);
        r.time = text;
        r.system = "127.0.0.2 north";
        r.enclosure = i % 4;
        r.slot = static_cast<std::uint32_t>(2 + i % 16);
        r.firmware = "0254";
        r.calibrationDate = "2025-06-20";
        r.user = "tech";
        all.push_back(std::move(r));
    }
    return all;
}

// The same rows in COPY's text format, made before the clock starts.
std::string copyText(const std::vector<z2e::AssetRecord>& all)
{
    std::string text;
    for (const z2e::AssetRecord& r : all)
        text += "bench\t" + r.kind + "\t" + r.serialKey + "\t" + r.serial + "\t" + r.model + "\t" + r.time + "\t" +
                r.system + "\t" + std::to_string(r.enclosure) + "\t" + std::to_string(r.slot) + "\t\t" + r.firmware +
                "\t" + r.calibrationDate + "\t\t0\t\t\t\t\t\t" + r.user + "\n";
    return text;
}

bool run(PGconn* db, const char* sql)
{
    PGresult* result = PQexec(db, sql);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    return ok;
}

bool bareCopy(PGconn* db, const std::string& text)
{
    PGresult* started = PQexec(db, "COPY bare(computer, kind, serial_key, serial, model, time, system, enclosure, slot,"
                                   " place, firmware, calibration_date, operation, result, status, verification,"
                                   " firmware_before, firmware_after, result_document, os_user) FROM STDIN");
    const bool copying = PQresultStatus(started) == PGRES_COPY_IN;
    PQclear(started);
    if (!copying)
        return false;
    bool ok = PQputCopyData(db, text.data(), static_cast<int>(text.size())) == 1 && PQputCopyEnd(db, nullptr) == 1;
    for (PGresult* each; (each = PQgetResult(db)) != nullptr;) {
        ok = ok && PQresultStatus(each) == PGRES_COMMAND_OK;
        PQclear(each);
    }
    return ok;
}

void BM_SiteUpload100kVsBareCopy(benchmark::State& state)
{
    z2e::test::PgCluster cluster;
    if (!cluster.start() || !cluster.createDatabase("bench")) {
        state.SkipWithError(("no PostgreSQL cluster: " + cluster.why()).c_str());
        return;
    }
    z2e::SiteRegister site(cluster.url("bench"));
    PGconn* db = PQconnectdb(cluster.url("bench").c_str());
    if (!site.open() || PQstatus(db) != CONNECTION_OK ||
        !run(db, "CREATE TABLE bare (LIKE site_records INCLUDING ALL)")) {
        PQfinish(db);
        state.SkipWithError("the site register or the bare table could not be made");
        return;
    }
    const std::vector<z2e::AssetRecord> all = records();
    const std::string text = copyText(all);
    using Clock = std::chrono::steady_clock;
    double uploadTotal = 0;
    double copyTotal = 0;
    for (auto _ : state) {
        if (!run(db, "TRUNCATE site_records") || !run(db, "TRUNCATE bare")) {
            state.SkipWithError("the tables could not be emptied");
            break;
        }
        std::size_t added = 0;
        const auto t0 = Clock::now();
        const bool uploaded = site.upload(all, "bench", added);
        const auto t1 = Clock::now();
        const bool copied = bareCopy(db, text);
        const auto t2 = Clock::now();
        if (!uploaded || added != all.size() || !copied) {
            state.SkipWithError(("upload or copy failed: " + site.lastError() + PQerrorMessage(db)).c_str());
            break;
        }
        uploadTotal += std::chrono::duration<double, std::milli>(t1 - t0).count();
        copyTotal += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    PQfinish(db);
    const double runs = static_cast<double>(state.iterations());
    if (runs > 0 && copyTotal > 0) {
        state.counters["upload_ms"] = uploadTotal / runs;
        state.counters["copy_ms"] = copyTotal / runs;
        state.counters["ratio"] = uploadTotal / copyTotal;
    }
}

} // namespace

BENCHMARK(BM_SiteUpload100kVsBareCopy)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
