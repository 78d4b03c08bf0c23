// A streamed query hands out a result's rows as they come: reading a result far larger than
// what the test lets the process grow by, every row arrives and the process stays small.

#include "common/PostgresTestServer.h"
#include "common/TestFiles.h"
#include "db/ADOQuery.h"

#include <QFile>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <string>

namespace {

long ResidentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// ResultRows of a key and 200 characters: held whole, two million of them take well over 400 MB.
constexpr int ResultRows = 2000000;
// What the process may grow by while it reads them.
constexpr long AllowedGrowthKb = 64 * 1024;

struct TStreamCase {
    const char* Backend;
    std::function<QString(TTestDir&)> Connection;  // empty: the backend is not at hand
    QString Query;
};

}  // namespace

TEST(StreamedRows, AResultLargerThanTheProcessMayGrowByArrivesRowByRow) {
    TTestDir dir;
    const QString sqliteFile = dir.Path(QStringLiteral("empty.db"));
    {
        QFile file(sqliteFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));  // an empty file is an empty SQLite database
    }
    const QString postgresMissing = PostgresServerMissingReason();
    const TStreamCase cases[] = {
        {"SQLite", [&](TTestDir&) { return SqliteConnectionString(sqliteFile); },
         QStringLiteral("with recursive n(k) as (select 1 union all select k + 1 from n where k < %1) "
                        "select k, printf('%.200c', 'x') from n")
             .arg(ResultRows)},
        {"PostgreSQL",
         [&](TTestDir&) {
             return postgresMissing.isEmpty() ? CreatePostgresDatabase(QStringLiteral("road_streamed_rows")) : QString();
         },
         QStringLiteral("select k, repeat('x', 200) from generate_series(1, %1) as k").arg(ResultRows)},
    };
    for (const TStreamCase& streamCase : cases) {
        SCOPED_TRACE(streamCase.Backend);
        const QString connectionString = streamCase.Connection(dir);
        if (connectionString.isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true")) ADD_FAILURE() << postgresMissing.toStdString();
            continue;
        }
        TADOConnection connection;
        connection.ConnectionString = connectionString;
        connection.CommandTimeout = 0;
        connection.Open();
        TADOQuery query(&connection);
        query.SetSQL(streamCase.Query);
        malloc_trim(0);
        const long before = ResidentKb("VmRSS:");
        long highest = before;
        long long sum = 0;
        int count = 0;
        for (query.OpenStreamed(); !query.Eof(); query.Next()) {
            sum += query.Fields(0).AsInteger();
            if (++count % 100000 == 0) highest = std::max(highest, ResidentKb("VmRSS:"));
        }
        query.Close();
        EXPECT_EQ(count, ResultRows);
        EXPECT_EQ(sum, static_cast<long long>(ResultRows) * (ResultRows + 1) / 2) << "every row arrives once, in order or not";
        EXPECT_LT(highest - before, AllowedGrowthKb) << "kB grown while reading";
        connection.Close();
    }
    if (postgresMissing.isEmpty()) DropPostgresDatabase(QStringLiteral("road_streamed_rows"));
}
