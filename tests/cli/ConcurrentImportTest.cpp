// Imports that meet on SQLite files: a second run refused while a first one runs (a killed
// run is SqliteKillTest's).

#include "cli/ConcurrentImports.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"
#include "db/ConnectionString.h"

#include <gtest/gtest.h>

namespace {

class ConcurrentImports : public ::testing::Test {
protected:
    TImportPair Pair(const QString& source, const QString& dest) const {
        return {SqliteConnectionString(Dir.Path(source)), SqliteConnectionString(Dir.Path(dest)),
                [](const QString& connection) -> std::unique_ptr<TDatabaseInspector> {
                    return std::make_unique<TSqliteInspector>(ParseConnectionString(connection).Location());
                }};
    }
    TTestDir Dir;
};

}  // namespace

TEST_F(ConcurrentImports, ASecondRunIsRefusedWhileTheFirstHoldsItsDatabases) {
    MakeSampleSource(Dir.Path(QStringLiteral("source.db")), 4, 30, 3);
    MakeSampleSource(Dir.Path(QStringLiteral("other-source.db")), 2, 2, 4, 50);
    MakeSampleDest(Dir.Path(QStringLiteral("dest.db")), true);
    MakeSampleDest(Dir.Path(QStringLiteral("other-dest.db")), true);
    ExpectSecondRunRefusedWhileTheFirstRuns(Pair(QStringLiteral("source.db"), QStringLiteral("dest.db")),
                                            Pair(QStringLiteral("other-source.db"), QStringLiteral("dest.db")),
                                            Pair(QStringLiteral("source.db"), QStringLiteral("other-dest.db")));
}
