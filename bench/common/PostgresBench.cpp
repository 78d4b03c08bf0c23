#include "common/PostgresBench.h"

#include "common/BenchQueries.h"
#include "common/ImportMeasure.h"
#include "common/PostgresSample.h"
#include "common/PostgresUntouched.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "support/Log.h"
#include "titles/ImportPlan.h"

#include <QElapsedTimer>
#include <cstdio>
#include <functional>

namespace {

bool DatabaseExists(const QString& server, const QString& name) {
    return BenchScalar(server + QStringLiteral(";Location=postgres"),
                  QStringLiteral("select count(*) from pg_database where datname = '%1'").arg(name))
               .toLongLong() > 0;
}

long long DatabaseSize(const QString& connection) {
    return BenchScalar(connection, QStringLiteral("select pg_database_size(current_database())")).toLongLong();
}

// The database of the name, made by make under another name and renamed when complete, or
// the one a run before made.
QString BenchDatabase(const QString& server, const QString& name,
                             const std::function<void(const QString& partial)>& make) {
    const QString connection = server + QStringLiteral(";Location=") + name;
    if (DatabaseExists(server, name)) return connection;
    QElapsedTimer clock;
    clock.start();
    const QString partial = name + QStringLiteral("_partial");
    make(partial);
    TADOConnection admin;
    admin.ConnectionString = server + QStringLiteral(";Location=postgres");
    admin.Open();
    TADOQuery rename(&admin);
    rename.SetSQL(QStringLiteral("ALTER DATABASE \"%1\" RENAME TO \"%2\"").arg(partial, name));
    rename.ExecSQL();
    std::printf("made %s in %.1f s\n", qPrintable(name), clock.elapsed() / 1000.0);
    std::fflush(stdout);
    return connection;
}

// A copy of a sample database whose schema indexes every column that refers to another
// table, as a working road database does; made once, beside the sample.
QString IndexedSample(const QString& server, const QString& name) {
    return BenchDatabase(server, name + QStringLiteral("_indexed"), [&](const QString& partial) {
        const QString copy = CopyPostgresDatabase(server, name, partial);
        for (const QString& pair : BenchRows(copy, QStringLiteral("select distinct c.relname, a.attname from pg_constraint k "
                                                                  "join pg_class c on c.oid = k.conrelid join pg_attribute a "
                                                                  "on a.attrelid = k.conrelid and a.attnum = k.conkey[1] "
                                                                  "where k.contype = 'f'")))
            BenchExecute(copy, QStringLiteral("CREATE INDEX ON %1 (%2)")
                                   .arg(pair.section(QLatin1Char('|'), 0, 0), pair.section(QLatin1Char('|'), 1, 1)));
    });
}

TDatabases PostgresDatabases(const TBenchOptions& options) {
    const int firstDestTitle = options.Titles * options.Scale + 1;
    const QString& server = options.Postgres;
    TDatabases databases;
    databases.Source = PostgresBenchSample(server, QStringLiteral("source"), options.Titles, options.Rows, 1, 1);
    databases.LargeSource =
        PostgresBenchSample(server, QStringLiteral("source"), options.Titles * options.Scale, options.Rows, 1, 1);
    PostgresBenchSample(server, QStringLiteral("dest"), options.DestTitles, options.Rows, 2, firstDestTitle);
    PostgresBenchSample(server, QStringLiteral("dest"), options.DestTitles * options.Scale, options.Rows, 2, firstDestTitle);
    databases.Dest = PostgresBenchSampleName(QStringLiteral("dest"), options.DestTitles, options.Rows);
    databases.LargeDest = PostgresBenchSampleName(QStringLiteral("dest"), options.DestTitles * options.Scale, options.Rows);
    databases.WorkCopy = [server](const QString& name) {
        return CopyPostgresDatabase(server, name, QStringLiteral("road_bench_work"));
    };
    return databases;
}

}  // namespace

QString PostgresBenchSampleName(const QString& kind, int titles, int rows) {
    return QStringLiteral("road_bench_%1_%2x%3").arg(kind).arg(titles).arg(rows);
}

QString PostgresBenchSample(const QString& server, const QString& kind, int titles, int rows, int seed, int firstTitle) {
    return BenchDatabase(server, PostgresBenchSampleName(kind, titles, rows), [&](const QString& partial) {
        MakePostgresSample(server, partial, titles, rows, static_cast<std::uint64_t>(seed), firstTitle);
    });
}

QString PostgresBenchDestWithDictionaries(const QString& server) {
    return BenchDatabase(server, QStringLiteral("road_bench_dest_dictionaries"),
                         [&](const QString& partial) { MakePostgresEmptySample(server, partial); });
}

void MeasurePostgres(const TBenchOptions& options) {
    const TDatabases databases = PostgresDatabases(options);
    std::printf("PostgreSQL: import of %d titles of %d rows; destination of %d titles; large ones %d times larger\n",
                options.Titles, options.Rows, options.DestTitles, options.Scale);
    const long long sizeBefore = DatabaseSize(databases.LargeSource);
    TImportPlans plans;
    std::vector<TMeasurement> measurements = TitleImports(databases, options.Titles, plans);
    const QString indexed =
        IndexedSample(options.Postgres, PostgresBenchSampleName(QStringLiteral("source"), options.Titles, options.Rows));
    const QString largeIndexed = IndexedSample(
        options.Postgres, PostgresBenchSampleName(QStringLiteral("source"), options.Titles * options.Scale, options.Rows));
    measurements.push_back({"indexed", [&] {
                                TImportPlan indexedPlan;
                                return MeasureImport(indexed, databases.WorkCopy(databases.Dest), options.Titles, indexedPlan);
                            }, {}});
    measurements.push_back({"large indexed", [&] {
                                TImportPlan indexedPlan;
                                return MeasureImport(largeIndexed, databases.WorkCopy(databases.Dest), options.Titles, indexedPlan);
                            }, {}});
    MeasureInRounds(options.Repeat, measurements);
    const long long sizeAfter = DatabaseSize(databases.LargeSource);

    const QVector<TEndingCheck> checks =
        CheckCataloguesUntouched(options.Postgres, PostgresBenchSampleName(QStringLiteral("source"), options.Titles, options.Rows),
                                 databases.Dest, options.Titles, LogFileName + QStringLiteral(".runs"));
    int untouched = 0;
    QStringList touched;
    for (const TEndingCheck& check : checks) {
        std::printf("catalogues %-13s %s (%s)\n", qPrintable(check.Ending), check.Untouched ? "unchanged" : "CHANGED",
                    qPrintable(check.Detail));
        if (check.Untouched) ++untouched;
        else touched << check.Ending;
    }
    const TMeasure& import = Result(measurements, "import");
    const TMeasure& intoLarge = Result(measurements, "large dest");
    const TMeasure& fromLarge = Result(measurements, "large source");
    const TMeasure& indexedImport = Result(measurements, "indexed");
    const TMeasure& largeIndexedImport = Result(measurements, "large indexed");
    std::printf("large source/small %.2f with indexed references (target 1.2), %.2f without  large dest/small %.2f  "
                "source size after/before %.4f (target within 0.02)  catalogues unchanged in %d of %d endings%s  "
                "(import %.3f s, %lld rows, peak %.0f MB)\n",
                largeIndexedImport.Seconds / indexedImport.Seconds, fromLarge.Seconds / import.Seconds,
                intoLarge.Seconds / import.Seconds,
                static_cast<double>(sizeAfter) / static_cast<double>(sizeBefore), untouched,
                static_cast<int>(checks.size()), touched.isEmpty() ? "" : qPrintable(QStringLiteral(", not in ") + touched.join(QStringLiteral(", "))),
                import.Seconds, import.Rows, PeakOf(measurements) / 1024.0);
}
