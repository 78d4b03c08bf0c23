#include "common/ScaleBench.h"

#include "common/ImportMeasure.h"
#include "common/PostgresBench.h"
#include "common/PostgresSample.h"
#include "common/SqliteBench.h"

#include "sample/SampleDatabase.h"
#include "titles/ImportPlan.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

// --rows of road-sample for a title of about 4.8k, 48k, 95k and 475k rows.
constexpr int Small = 500, Medium = 5000, Large = 10000, Road = 50000;

QString SqliteSource(const QString& dir, int rows) { return SampleFile(dir, QStringLiteral("source"), 1, rows, 1, 1); }

QString SqliteDestWithDictionaries(const QString& dir) {
    const QString path = QDir(dir).filePath(QStringLiteral("dest-dictionaries.db"));
    if (QFile::exists(path)) return path;
    const QString partial = path + QStringLiteral(".partial");
    CreateEmptySampleDatabase(partial, true);
    QFile::rename(partial, path);
    return path;
}

TMeasure Measured(const char* name, const TMeasure& measure) {
    Print(name, measure);
    return measure;
}

double PerRowOver(const TMeasure& a, const TMeasure& b) { return PerRow(a) / PerRow(b); }
double RowsPerSecond(const TMeasure& measure) { return measure.Rows / measure.Seconds; }
double Megabytes(const TMeasure& measure) { return measure.PeakKb / 1024.0; }

}  // namespace

void MeasureAtScale(const TBenchOptions& options, const QString& dir) {
    std::printf("at a road's size: one title into a destination holding its dictionaries, saved\n");
    const QString dest = SqliteDestWithDictionaries(dir);
    const QString road = SqliteSource(dir, Road);
    TImportPlan largePlan, roadPlan;
    const TMeasure large = Measured(
        "sqlite 95k", MeasureImport(SampleConnectionString(SqliteSource(dir, Large)), SampleConnectionString(WorkCopy(dir, dest)), 1, largePlan));
    const TMeasure roadImport =
        Measured("sqlite 475k", MeasureImport(SampleConnectionString(road), SampleConnectionString(WorkCopy(dir, dest)), 1, roadPlan));
    const TMeasure floor = Measured("floor 475k", MeasureFloor(road, WorkCopy(dir, dest), roadPlan));
    QFile::remove(QDir(dir).filePath(QStringLiteral("work.db")));
    QString line = QStringLiteral("sqlite 475k/floor %1 (target 8), per row 475k/95k %2 (target 1.2), peak %3 MB "
                                  "(target 80), 475k/95k %4 (target 1.25)")
                       .arg(roadImport.Seconds / floor.Seconds, 0, 'f', 1)
                       .arg(PerRowOver(roadImport, large), 0, 'f', 2)
                       .arg(Megabytes(roadImport), 0, 'f', 0)
                       .arg(static_cast<double>(roadImport.PeakKb) / large.PeakKb, 0, 'f', 2);

    if (!options.Postgres.isEmpty()) {
        const QString& server = options.Postgres;
        PostgresBenchDestWithDictionaries(server);
        const auto destCopy = [&] {
            return CopyPostgresDatabase(server, QStringLiteral("road_bench_dest_dictionaries"), QStringLiteral("road_bench_work"));
        };
        const auto source = [&](int rows) { return PostgresBenchSample(server, QStringLiteral("source"), 1, rows, 1, 1); };
        const auto measureFrom = [&](const QString& from) {
            TImportPlan plan;
            return MeasureImport(from, destCopy(), 1, plan);
        };
        const auto import = [&](const char* name, const QString& from) { return Measured(name, measureFrom(from)); };
        // The shorter imports, whose ratios a busy moment of the machine would decide, in rounds.
        std::vector<TMeasurement> rounds = {
            {"postgres 4.8k", [&] { return measureFrom(source(Small)); }, {}},
            {"postgres 48k", [&] { return measureFrom(source(Medium)); }, {}},
            {"sqlite→pg 48k", [&] { return measureFrom(SampleConnectionString(SqliteSource(dir, Medium))); }, {}}};
        MeasureInRounds(options.Repeat, rounds);
        const TMeasure& small = Result(rounds, "postgres 4.8k");
        const TMeasure& medium = Result(rounds, "postgres 48k");
        const TMeasure& fromSqlite = Result(rounds, "sqlite→pg 48k");
        const TMeasure pgLarge = import("postgres 95k", source(Large));
        const TMeasure pgRoad = import("postgres 475k", source(Road));
        DropPostgresDatabaseIfAny(server, QStringLiteral("road_bench_work"));
        line = QStringLiteral("postgres per row 48k/4.8k %1 (target 1.3), %2 and %3 rows/s (target 4000)  "
                              "sqlite→postgres/postgres %4 (target 1)  peak 475k %5 MB (target 80), 475k/95k %6 "
                              "(target 1.25)  ")
                   .arg(PerRowOver(medium, small), 0, 'f', 2)
                   .arg(RowsPerSecond(small), 0, 'f', 0)
                   .arg(RowsPerSecond(medium), 0, 'f', 0)
                   .arg(fromSqlite.Seconds / medium.Seconds, 0, 'f', 2)
                   .arg(Megabytes(pgRoad), 0, 'f', 0)
                   .arg(static_cast<double>(pgRoad.PeakKb) / pgLarge.PeakKb, 0, 'f', 2) +
               line;
    }
    std::printf("%s\n", qPrintable(line));
}
