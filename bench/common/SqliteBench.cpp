#include "common/SqliteBench.h"

#include "common/FloorCopy.h"
#include "common/IndexedSample.h"
#include "common/PeakMemory.h"

#include "sample/SampleDatabase.h"
#include "support/Exception.h"
#include "titles/ImportPlan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <unistd.h>

namespace {

QString SamplePath(const QString& dir, const QString& kind, int titles, int rows, int seed) {
    return QDir(dir).filePath(QStringLiteral("%1-%2x%3-seed%4.db").arg(kind).arg(titles).arg(rows).arg(seed));
}

}  // namespace

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

TMeasure MeasureFloor(const QString& sourcePath, const QString& destPath, const TImportPlan& plan) {
    ResetPeakMemory();
    const TFloorResult floor = CopyAtFloor(sourcePath, destPath, plan);
    TMeasure measure;
    measure.Rows = floor.Rows;
    measure.Seconds = floor.Seconds;
    measure.PeakKb = PeakMemoryKb();
    return measure;
}

namespace {

// SQLite: the floor of the small and of the large source, and the import from both where the
// schema indexes the references. plan and largeSourcePlan are filled by the imports measured
// before these.
void AddSqliteMeasurements(const TBenchOptions& options, const QString& dir, const TDatabases& databases,
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
    const long peak = PeakOf(measurements);
    std::printf("import/floor %.1f (target 10)  large dest/small %.2f (target 1.2)  large source/small per row %.2f "
                "with indexed references (target 1.3), %.2f without (floor %.2f)  (import %.3f s, %lld rows, peak %.0f MB)\n",
                import.Seconds / floor.Seconds, intoLarge.Seconds / import.Seconds, PerRow(largeIndexed) / PerRow(indexed),
                PerRow(fromLarge) / PerRow(import), PerRow(largeFloor) / PerRow(floor), import.Seconds, import.Rows,
                peak / 1024.0);
}

}  // namespace

TDatabases SqliteDatabases(const TBenchOptions& options, const QString& dir) {
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


void MeasureSqlite(const TBenchOptions& options, const QString& dir) {
    const TDatabases databases = SqliteDatabases(options, dir);
    std::printf("SQLite: import of %d titles of %d rows; destination of %d titles; large ones %d times larger\n",
                options.Titles, options.Rows, options.DestTitles, options.Scale);
    TImportPlans plans;
    std::vector<TMeasurement> measurements = TitleImports(databases, options.Titles, plans);
    AddSqliteMeasurements(options, dir, databases, plans.Import, plans.LargeSource, measurements);
    MeasureInRounds(options.Repeat, measurements);
    QFile::remove(QDir(dir).filePath(QStringLiteral("work.db")));
    PrintSqliteRatios(measurements);
}
