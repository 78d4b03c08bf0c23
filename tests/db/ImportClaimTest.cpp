// The exclusive import claim of a database: SQL Server's application lock by its exact
// statements, and SQLite's lock file beside the database.

#include "common/RecordingConnection.h"
#include "common/TestFiles.h"

#include "db/DatabaseInUse.h"
#include "db/ImportClaim.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(ImportClaim, SqlServerHoldsASessionApplicationLockAndRefusesOneHeldElsewhere) {
    const QString claim = QStringLiteral(
        "DECLARE @result int; EXEC @result = sp_getapplock @Resource = N'road-import', @LockMode = N'Exclusive', "
        "@LockOwner = N'Session', @LockTimeout = 0; SELECT CASE WHEN @result >= 0 THEN 1 ELSE 0 END AS claimed");
    const QString release = QStringLiteral("EXEC sp_releaseapplock @Resource = N'road-import', @LockOwner = N'Session'");
    TRecordingConnection connection;
    connection.ConnectionString = QStringLiteral("Provider=SQLOLEDB.1;Data Source=server;Initial Catalog=roads");
    connection.Open();
    int granted = 1;
    connection.Responder = [&](const QString& sql, const QVector<TBoundParam>&, bool) {
        return sql.contains(QStringLiteral("sp_getapplock")) ? MakeRowSet({QStringLiteral("claimed")}, {{granted}})
                                                              : TRowSet();
    };

    std::unique_ptr<TImportClaimHold> hold = TakeImportClaim(connection);
    EXPECT_EQ(connection.Statements, QStringList{claim});
    hold.reset();
    EXPECT_EQ(connection.Statements, (QStringList{claim, release}));

    granted = 0;
    connection.Statements.clear();
    EXPECT_THROW(TakeImportClaim(connection), EDatabaseClaimed);
    EXPECT_EQ(connection.Statements, QStringList{claim});
}

// One claim per file at a time; giving it up removes the lock file, and a lock file that
// nobody holds (left by a killed run) does not stand in the way.
TEST(ImportClaim, SqliteClaimIsALockFileBesideTheDatabase) {
    TTestDir dir;
    const QString path = dir.Path(QStringLiteral("roads.db"));
    CreateSqliteDatabase(path, {});
    const QString lockFile = path + QStringLiteral(".import-lock");
    TADOConnection first, second;
    first.ConnectionString = second.ConnectionString = SqliteConnectionString(path);
    first.Open();
    second.Open();

    std::unique_ptr<TImportClaimHold> hold = TakeImportClaim(first);
    EXPECT_TRUE(QFile::exists(lockFile));
    EXPECT_THROW(TakeImportClaim(second), EDatabaseClaimed);
    hold.reset();
    EXPECT_FALSE(QFile::exists(lockFile));

    QFile left(lockFile);
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("road-import pid 1\n");
    left.close();
    hold = TakeImportClaim(second);
    EXPECT_THROW(TakeImportClaim(first), EDatabaseClaimed);
    hold.reset();
    EXPECT_FALSE(QFile::exists(lockFile));
}
