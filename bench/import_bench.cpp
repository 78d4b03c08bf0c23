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
//                     [--repeat N] [--postgres CONN] [--latency-ms D]
//        import_bench --scale [--postgres CONN] [--dir DIR] [--repeat N]
//   --titles N       titles imported (default 10); the source holds exactly these
//   --rows N         rows per title (default 300)
//   --dest-titles N  titles the small destination holds (default 3)
//   --scale N        how many times larger the large databases are (default 100)
//   --dir DIR        where the generated databases are kept and reused by later runs
//                    (default: a temporary folder, removed at the end)
//   --repeat N       every measurement is made once per round, N rounds, and the fastest of
//                    each counts, since other programs on the machine only ever make one
//                    slower (default 3; 1 on PostgreSQL; with --scale the PostgreSQL
//                    imports up to 48k rows, 3 by default)
//   --postgres CONN  the same on a PostgreSQL server instead of SQLite files: CONN is a
//                    connection string without a database (scripts/pg-test-server.sh start
//                    prints one); the databases are made there once and reused by later
//                    runs. No floor there: a statement cannot read one database and write
//                    another. Instead, the source's size before and after, and both
//                    catalogues through runs of road-import of every ending
//                    (common/PostgresUntouched.h). Default: one title, scale 100.
//   --scale          (without a number) the import at a real road's size instead
//                    (common/ScaleBench.h), on SQLite and, with --postgres, on PostgreSQL
//   --latency-ms D   with --postgres, instead of the four measurements: the import direct and
//                    through a proxy that adds D ms each way (as a network would), each the
//                    fastest of three, the cost of a wait for the server calibrated with 2,000
//                    one-row queries, and the round trips and statements per copied row
//                    (MeasureAcrossNetwork below).

#include "common/BenchOptions.h"
#include "common/NetworkBench.h"
#include "common/PostgresBench.h"
#include "common/ScaleBench.h"
#include "common/SqliteBench.h"

#include "support/EAbort.h"
#include "support/Exception.h"
#include "support/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const TBenchOptions options = ParseBenchOptions(app.arguments());
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
        if (options.RoadScale) MeasureAtScale(options, dir);
        else if (options.Postgres.isEmpty()) MeasureSqlite(options, dir);
        else if (options.LatencyMs > 0) MeasureAcrossNetwork(options);
        else MeasurePostgres(options);
    } catch (const EAbort&) {
        std::printf("the run was refused\n");
        return 1;
    } catch (const Exception& error) {
        std::printf("error: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
