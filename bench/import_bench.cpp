// The import against its floor, and how its cost follows the titles chosen rather than the
// size of either database. Makes sample databases with the sample generator, then measures in
// one run, each on a fresh copy of its destination:
//   import        the chosen titles of the source into the destination, through the same
//                 run as road-import (answer "save"), housekeeping included
//   floor         the same rows of the same tables by INSERT INTO ... SELECT ... between the
//                 two files, one transaction, no remapping
//   large dest    the import into a destination `scale` times larger
//   large source  the import of the same titles from a source `scale` times larger
// and on SQLite also
//   large floor   the floor from the large source
//   indexed       the import from the small source where the schema indexes every column
//                 that refers to another table (as a working road database does)
//   large indexed the same from the large source so indexed
// and prints rows copied, seconds, rows per second and peak memory of each, then the ratios
// in one closing line, with the targets: import / floor, large dest / import, and large
// source / import per copied row with the references indexed, without them, and the floor's
// own growth from the large source (without indexes each dependent table is read whole, by
// the floor as by the import).
//
// Usage: import_bench [--titles N] [--rows N] [--dest-titles N] [--scale N] [--dir DIR]
//                     [--repeat N] [--postgres CONN]
//   --titles N       titles imported (default 10); the source holds exactly these
//   --rows N         rows per title (default 300)
//   --dest-titles N  titles the small destination holds (default 3)
//   --scale N        how many times larger the large databases are (default 100)
//   --dir DIR        where the generated databases are kept and reused by later runs
//                    (default: a temporary folder, removed at the end)
//   --repeat N       every measurement is made once per round, N rounds, and the fastest of
//                    each counts, since other programs on the machine only ever make one
//                    slower (default 3; 1 on PostgreSQL)
//   --postgres CONN  the same on a PostgreSQL server instead of SQLite files: CONN is a
//                    connection string without a database (scripts/pg-test-server.sh start
//                    prints one); the databases are made there anew. No floor there: a
//                    statement cannot read one database and write another. Default scale 10.
//   --latency-ms D   with --postgres, instead of the four measurements: the import direct and
//                    through a proxy that adds D ms each way (as a network would), each the
//                    fastest of three, the cost of a wait for the server calibrated with 2,000
//                    one-row queries, and the round trips and statements per copied row
//                    (MeasureAcrossNetwork below).

#include "common/FloorCopy.h"
#include "common/LatencyProxy.h"
#include "common/IndexedSample.h"
#include "common/PeakMemory.h"
#include "common/PostgresSample.h"
#include "common/QuietFrontEnd.h"
#include "common/RoundTrips.h"

#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "db/ImportDBModule.h"
#include "sample/SampleDatabase.h"
#include "support/EAbort.h"
#include "support/Log.h"
#include "titles/TitlePreparation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>
#include <functional>
#include <optional>
#include <vector>

namespace {

struct TOptions {
    int Titles = 10;
    int Rows = 300;
    int DestTitles = 3;
    int Scale = 100;
    int Repeat = 3;
    QString Dir;
    QString Postgres;
    double LatencyMs = 0;
};

// The four databases of a run as connection strings, and how a fresh work copy of a
// destination is made.
struct TDatabases {
    QString Source, LargeSource, Dest, LargeDest;
    std::function<QString(const QString&)> WorkCopy;
};

struct TMeasure {
    long long Rows = 0;
    double Seconds = 0;
    long PeakKb = -1;
    int Refused = 0;
};

int OptionValue(const QStringList& args, const QString& name, int fallback) {
    const int at = static_cast<int>(args.indexOf(name));
    if (at < 0 || at + 1 >= args.size()) return fallback;
    bool ok = false;
    const int value = args[at + 1].toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

TOptions ParseOptions(const QStringList& args) {
    TOptions options;
    options.Titles = OptionValue(args, QStringLiteral("--titles"), options.Titles);
    options.Rows = OptionValue(args, QStringLiteral("--rows"), options.Rows);
    options.DestTitles = OptionValue(args, QStringLiteral("--dest-titles"), options.DestTitles);
    options.Scale = OptionValue(args, QStringLiteral("--scale"), options.Scale);
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--dir")));
    if (at >= 0 && at + 1 < args.size()) options.Dir = args[at + 1];
    const int pg = static_cast<int>(args.indexOf(QStringLiteral("--postgres")));
    if (pg >= 0 && pg + 1 < args.size()) options.Postgres = args[pg + 1];
    if (!options.Postgres.isEmpty()) options.Scale = OptionValue(args, QStringLiteral("--scale"), 10);
    const int latency = static_cast<int>(args.indexOf(QStringLiteral("--latency-ms")));
    if (latency >= 0 && latency + 1 < args.size()) options.LatencyMs = qMax(0.0, args[latency + 1].toDouble());
    options.Repeat = OptionValue(args, QStringLiteral("--repeat"), options.Postgres.isEmpty() ? options.Repeat : 1);
    return options;
}

QString SamplePath(const QString& dir, const QString& kind, int titles, int rows, int seed) {
    return QDir(dir).filePath(QStringLiteral("%1-%2x%3-seed%4.db").arg(kind).arg(titles).arg(rows).arg(seed));
}

// A sample database of `titles` titles, made once: a file of these parameters found in the
// folder is taken as it is (files are made under another name and renamed when complete).
QString SampleFile(const QString& dir, const QString& kind, int titles, int rows, int seed, int firstTitle) {
    const QString path = SamplePath(dir, kind, titles, rows, seed);
    if (QFile::exists(path)) return path;
    QElapsedTimer clock;
    clock.start();
    const QString partial = path + QStringLiteral(".partial");
    GenerateSampleDatabase(partial, titles, rows, static_cast<std::uint64_t>(seed), firstTitle);
    QFile::rename(partial, path);
    std::printf("made %s (%d titles of %d rows) in %.1f s\n", qPrintable(QDir(dir).relativeFilePath(path)), titles,
                rows, clock.elapsed() / 1000.0);
    std::fflush(stdout);
    return path;
}

// A fresh copy of a destination, so that every measurement starts from the same file. The
// copy is on the disk before the clock starts: otherwise writing out the hundreds of
// megabytes of a large destination goes on during the import and is counted with it.
QString WorkCopy(const QString& dir, const QString& path) {
    const QString work = QDir(dir).filePath(QStringLiteral("work.db"));
    QFile::remove(work);
    if (!QFile::copy(path, work)) throw Exception(QStringLiteral("cannot copy ") + path);
    QFile copy(work);
    if (!copy.open(QIODevice::ReadWrite) || ::fsync(copy.handle()) != 0)
        throw Exception(QStringLiteral("cannot write out ") + work);
    return work;
}

long long TotalRows(TADOConnection& connection) {
    TADOQuery tables(&connection);
    tables.SetSQL(connection.Dialect().UserTablesStatement());
    tables.Open();
    QStringList names;
    for (; !tables.Eof(); tables.Next()) names << tables.Fields(0).AsString();
    tables.Close();
    long long total = 0;
    for (const QString& name : names) {
        TADOQuery count(&connection);
        count.SetSQL(QStringLiteral("select count(*) from ") + name);
        count.Open();
        total += count.Fields(0).AsInteger();
    }
    return total;
}

void OpenDatabase(TADOConnection& connection, const QString& connectionString) {
    connection.ConnectionString = connectionString;
    connection.CommandTimeout = 0;
    connection.Open();
}

// One whole import of the titles 1..titles, timed from the run's start to its end (commit and
// clean-up included). The plan is left for the floor.
TMeasure MeasureImport(const QString& source, const QString& dest, int titles, TImportPlan& plan) {
    TImportDBModule module;
    OpenDatabase(module.ADOConnectionSource, source);
    OpenDatabase(module.ADOConnectionDest, dest);
    TQuietFrontEnd frontEnd;
    FillListFromTable(QStringLiteral("Титул"), frontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), module.SourceQuery);
    QSet<int> keys;
    for (int key = 1; key <= titles; ++key) keys.insert(key);
    frontEnd.TickTitles(keys);
    SetQuestionAsker(&frontEnd);
    const long long before = TotalRows(module.ADOConnectionDest);

    TMeasure measure;
    ResetPeakMemory();
    QElapsedTimer clock;
    clock.start();
    const int result = RunTitleImport(frontEnd, plan, module.ADOConnectionSource, module.ADOConnectionDest);
    measure.Seconds = clock.nsecsElapsed() / 1e9;
    measure.PeakKb = PeakMemoryKb();
    SetQuestionAsker(nullptr);
    if (result < 0) throw Exception(QStringLiteral("the import failed; see ") + LogFileName);
    measure.Rows = TotalRows(module.ADOConnectionDest) - before;
    measure.Refused = frontEnd.FailedRows;
    return measure;
}

TMeasure MeasureFloor(const QString& sourcePath, const QString& destPath, const TImportPlan& plan) {
    ResetPeakMemory();
    const TFloorResult floor = CopyAtFloor(sourcePath, destPath, plan);
    TMeasure measure;
    measure.Rows = floor.Rows;
    measure.Seconds = floor.Seconds;
    measure.PeakKb = PeakMemoryKb();
    return measure;
}

void Print(const char* name, const TMeasure& measure) {
    std::printf("%-13s %9lld rows %9.3f s %9.0f rows/s  peak %7.1f MB", name, measure.Rows, measure.Seconds,
                measure.Rows / measure.Seconds, measure.PeakKb / 1024.0);
    if (measure.Refused > 0) std::printf("  (%d rows refused)", measure.Refused);
    std::printf("\n");
    std::fflush(stdout);
}

// One measurement of the run, and the fastest it gave.
struct TMeasurement {
    const char* Name;
    std::function<TMeasure()> Measure;
    TMeasure Best;
};

// Every measurement once per round, `rounds` rounds, the fastest of each counting: other
// programs on the machine only ever make one slower, and the rounds spread what they do over
// all measurements alike, so that the ratios hold still.
void MeasureInRounds(int rounds, std::vector<TMeasurement>& measurements) {
    for (int round = 0; round < rounds; ++round)
        for (TMeasurement& measurement : measurements) {
            const TMeasure next = measurement.Measure();
            if (round == 0 || next.Seconds < measurement.Best.Seconds) measurement.Best = next;
        }
    for (const TMeasurement& measurement : measurements) Print(measurement.Name, measurement.Best);
}

const TMeasure& Result(const std::vector<TMeasurement>& measurements, const char* name) {
    for (const TMeasurement& measurement : measurements)
        if (qstrcmp(measurement.Name, name) == 0) return measurement.Best;
    throw Exception(QStringLiteral("no measurement ") + QLatin1String(name));
}

double PerRow(const TMeasure& measure) { return measure.Seconds / static_cast<double>(qMax(1LL, measure.Rows)); }

// SQLite: the floor of the small and of the large source, and the import from both where the
// schema indexes the references. plan and largeSourcePlan are filled by the imports measured
// before these.
void AddSqliteMeasurements(const TOptions& options, const QString& dir, const TDatabases& databases,
                           const TImportPlan& plan, const TImportPlan& largeSourcePlan,
                           std::vector<TMeasurement>& measurements) {
    const QString small = SamplePath(dir, QStringLiteral("source"), options.Titles, options.Rows, 1);
    const QString large = SamplePath(dir, QStringLiteral("source"), options.Titles * options.Scale, options.Rows, 1);
    const QString dest = SamplePath(dir, QStringLiteral("dest"), options.DestTitles, options.Rows, 2);
    const QString indexed = SampleConnectionString(IndexedSampleFile(small));
    const QString largeIndexed = SampleConnectionString(IndexedSampleFile(large));
    const int titles = options.Titles;
    measurements.push_back({"floor", [=, &plan] { return MeasureFloor(small, WorkCopy(dir, dest), plan); }, {}});
    measurements.push_back(
        {"large floor", [=, &largeSourcePlan] { return MeasureFloor(large, WorkCopy(dir, dest), largeSourcePlan); }, {}});
    measurements.push_back({"indexed", [=] {
                                TImportPlan indexedPlan;
                                return MeasureImport(indexed, databases.WorkCopy(databases.Dest), titles, indexedPlan);
                            }, {}});
    measurements.push_back({"large indexed", [=] {
                                TImportPlan indexedPlan;
                                return MeasureImport(largeIndexed, databases.WorkCopy(databases.Dest), titles, indexedPlan);
                            }, {}});
}

// The ratios against their targets: the import to its floor; the import into the large
// destination to the one into the small; per copied row, the import from the large source to
// the one from the small, with the references indexed, without, and the floor's own growth.
void PrintSqliteRatios(const std::vector<TMeasurement>& measurements) {
    const TMeasure& import = Result(measurements, "import");
    const TMeasure& intoLarge = Result(measurements, "large dest");
    const TMeasure& fromLarge = Result(measurements, "large source");
    const TMeasure& floor = Result(measurements, "floor");
    const TMeasure& largeFloor = Result(measurements, "large floor");
    const TMeasure& indexed = Result(measurements, "indexed");
    const TMeasure& largeIndexed = Result(measurements, "large indexed");
    long peak = 0;
    for (const TMeasurement& measurement : measurements) peak = qMax(peak, measurement.Best.PeakKb);
    std::printf("import/floor %.1f (target 10)  large dest/small %.2f (target 1.2)  large source/small per row %.2f "
                "with indexed references (target 1.3), %.2f without (floor %.2f)  (import %.3f s, %lld rows, peak %.0f MB)\n",
                import.Seconds / floor.Seconds, intoLarge.Seconds / import.Seconds, PerRow(largeIndexed) / PerRow(indexed),
                PerRow(fromLarge) / PerRow(import), PerRow(largeFloor) / PerRow(floor), import.Seconds, import.Rows,
                peak / 1024.0);
}

}  // namespace

TDatabases SqliteDatabases(const TOptions& options, const QString& dir) {
    // Destination titles are numbered after every source title, so no name is shared.
    const int firstDestTitle = options.Titles * options.Scale + 1;
    TDatabases databases;
    databases.Source = SampleFile(dir, QStringLiteral("source"), options.Titles, options.Rows, 1, 1);
    databases.LargeSource = SampleFile(dir, QStringLiteral("source"), options.Titles * options.Scale, options.Rows, 1, 1);
    databases.Dest = SampleFile(dir, QStringLiteral("dest"), options.DestTitles, options.Rows, 2, firstDestTitle);
    databases.LargeDest =
        SampleFile(dir, QStringLiteral("dest"), options.DestTitles * options.Scale, options.Rows, 2, firstDestTitle);
    databases.WorkCopy = [dir](const QString& path) { return SampleConnectionString(WorkCopy(dir, path)); };
    for (QString* path : {&databases.Source, &databases.LargeSource})
        *path = SampleConnectionString(*path);
    return databases;
}

QString PostgresSample(const QString& server, const QString& kind, int titles, int rows, int seed, int firstTitle) {
    const QString name = QStringLiteral("road_bench_%1_%2x%3").arg(kind).arg(titles).arg(rows);
    QElapsedTimer clock;
    clock.start();
    const QString connection = MakePostgresSample(server, name, titles, rows, static_cast<std::uint64_t>(seed), firstTitle);
    std::printf("made %s (%d titles of %d rows) in %.1f s\n", qPrintable(name), titles, rows, clock.elapsed() / 1000.0);
    std::fflush(stdout);
    return connection;
}

TDatabases PostgresDatabases(const TOptions& options) {
    const int firstDestTitle = options.Titles * options.Scale + 1;
    const QString& server = options.Postgres;
    TDatabases databases;
    databases.Source = PostgresSample(server, QStringLiteral("source"), options.Titles, options.Rows, 1, 1);
    databases.LargeSource =
        PostgresSample(server, QStringLiteral("source"), options.Titles * options.Scale, options.Rows, 1, 1);
    PostgresSample(server, QStringLiteral("dest"), options.DestTitles, options.Rows, 2, firstDestTitle);
    PostgresSample(server, QStringLiteral("dest"), options.DestTitles * options.Scale, options.Rows, 2, firstDestTitle);
    databases.Dest = QStringLiteral("road_bench_dest_%1x%2").arg(options.DestTitles).arg(options.Rows);
    databases.LargeDest = QStringLiteral("road_bench_dest_%1x%2").arg(options.DestTitles * options.Scale).arg(options.Rows);
    databases.WorkCopy = [server](const QString& name) {
        return CopyPostgresDatabase(server, name, QStringLiteral("road_bench_work"));
    };
    return databases;
}

// ---- The import across a network (--latency-ms) ----

// One-row queries that calibrate what a wait for the server costs through the proxy.
constexpr int CalibrationQueries = 2000;
// Each measurement is taken this often and the fastest kept: on a busy machine the proxy's
// threads are sometimes late, never early.
constexpr int Repeats = 3;

// What one wait for the server adds through the proxy, in milliseconds.
double CalibrateWait(const QString& connection, int proxyPort) {
    double direct = 1e9, proxied = 1e9;
    for (int i = 0; i < Repeats; ++i) {
        direct = qMin(direct, OneRowQuerySeconds(connection, CalibrationQueries));
        proxied = qMin(proxied, OneRowQuerySeconds(ThroughProxy(connection, proxyPort), CalibrationQueries));
    }
    const double waitMs = (proxied - direct) * 1000 / CalibrationQueries;
    std::printf("a wait for the server through the proxy: %.3f ms (%d one-row queries: %.3f s direct, %.3f s "
                "through the proxy)\n",
                waitMs, CalibrationQueries, direct, proxied);
    return waitMs;
}

// The import of the titles from the source into a fresh copy of the destination, direct and
// through a proxy that adds the latency each way; the difference in seconds, divided by the
// calibrated cost of one wait, gives the round trips of the run. The proxy also counts them on
// the wire (connection set-up and the benchmark's row counts included), and the statements.
void MeasureAcrossNetwork(const TOptions& options) {
    const QString& server = options.Postgres;
    // Every run starts from the same databases: the import fills the source's temporary
    // column, which moves its rows.
    const QString source = QStringLiteral("road_bench_source_%1x%2").arg(options.Titles).arg(options.Rows);
    const QString dest = QStringLiteral("road_bench_dest_%1x%2").arg(options.DestTitles).arg(options.Rows);
    PostgresSample(server, QStringLiteral("source"), options.Titles, options.Rows, 1, 1);
    PostgresSample(server, QStringLiteral("dest"), options.DestTitles, options.Rows, 2, options.Titles * options.Scale + 1);
    const auto sourceCopy = [&] { return CopyPostgresDatabase(server, source, QStringLiteral("road_bench_source_work")); };
    const auto destCopy = [&] { return CopyPostgresDatabase(server, dest, QStringLiteral("road_bench_work")); };
    std::printf("PostgreSQL: import of %d titles of %d rows; destination of %d titles; %.2f ms added each way\n",
                options.Titles, options.Rows, options.DestTitles, options.LatencyMs);

    QString host;
    int port = 0;
    ServerAddressOf(server, host, port);
    TLatencyProxy proxy(host, port, options.LatencyMs);
    const double waitMs = CalibrateWait(sourceCopy(), proxy.Port());

    TMeasure direct, far;
    TWireCounts wire;
    for (int i = 0; i < Repeats; ++i) {
        TImportPlan plan;
        const TMeasure near = MeasureImport(sourceCopy(), destCopy(), options.Titles, plan);
        if (i == 0 || near.Seconds < direct.Seconds) direct = near;
        proxy.ResetCounts();
        TImportPlan farPlan;
        const TMeasure across = MeasureImport(ThroughProxy(sourceCopy(), proxy.Port()),
                                              ThroughProxy(destCopy(), proxy.Port()), options.Titles, farPlan);
        wire = proxy.Counts();
        if (i == 0 || across.Seconds < far.Seconds) far = across;
    }
    Print("import", direct);
    Print("across", far);
    const double rows = static_cast<double>(far.Rows);
    const double roundTrips = (far.Seconds - direct.Seconds) * 1000 / waitMs;
    std::printf("round trips/row %.2f  statements/row %.2f  (on the wire %.2f waits/row; import %.3f s direct, "
                "%.3f s with %.2f ms each way, %lld rows, %.3f ms a wait)\n",
                roundTrips / rows, wire.Statements / rows, wire.Exchanges / rows, direct.Seconds, far.Seconds,
                options.LatencyMs, far.Rows, waitMs);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const TOptions options = ParseOptions(app.arguments());
    std::optional<QTemporaryDir> temporary;
    QString dir = options.Dir;
    if (dir.isEmpty()) {
        temporary.emplace();
        dir = temporary->path();
    }
    QDir().mkpath(dir);
    LogLevel = 1;
    LogFileName = QDir(dir).filePath(QStringLiteral("bench.log"));
    QFile::remove(LogFileName);

    try {
        if (!options.Postgres.isEmpty() && options.LatencyMs > 0) {
            MeasureAcrossNetwork(options);
            return 0;
        }
        const bool postgres = !options.Postgres.isEmpty();
        const TDatabases databases = postgres ? PostgresDatabases(options) : SqliteDatabases(options, dir);
        std::printf("%s: import of %d titles of %d rows; destination of %d titles; large ones %d times larger\n",
                    postgres ? "PostgreSQL" : "SQLite", options.Titles, options.Rows, options.DestTitles, options.Scale);

        TImportPlan plan, largeDestPlan, largeSourcePlan;
        std::vector<TMeasurement> measurements = {
            {"import", [&] {
                 return MeasureImport(databases.Source, databases.WorkCopy(databases.Dest), options.Titles, plan);
             }, {}},
            {"large dest", [&] {
                 return MeasureImport(databases.Source, databases.WorkCopy(databases.LargeDest), options.Titles, largeDestPlan);
             }, {}},
            {"large source", [&] {
                 return MeasureImport(databases.LargeSource, databases.WorkCopy(databases.Dest), options.Titles, largeSourcePlan);
             }, {}},
        };
        if (!postgres) AddSqliteMeasurements(options, dir, databases, plan, largeSourcePlan, measurements);
        MeasureInRounds(options.Repeat, measurements);
        if (!postgres) {
            QFile::remove(QDir(dir).filePath(QStringLiteral("work.db")));
            PrintSqliteRatios(measurements);
            return 0;
        }
        const TMeasure& import = Result(measurements, "import");
        const TMeasure& intoLarge = Result(measurements, "large dest");
        const TMeasure& fromLarge = Result(measurements, "large source");

        std::printf("import/floor n/a  large dest/small %.2f  large source/small %.2f  (import %.3f s, %lld rows, "
                    "peak %.0f MB)\n",
                    intoLarge.Seconds / import.Seconds,
                    fromLarge.Seconds / import.Seconds, import.Seconds, import.Rows,
                    qMax(qMax(import.PeakKb, intoLarge.PeakKb), fromLarge.PeakKb) / 1024.0);
    } catch (const EAbort&) {
        std::printf("the run was refused\n");
        return 1;
    } catch (const Exception& error) {
        std::printf("error: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
