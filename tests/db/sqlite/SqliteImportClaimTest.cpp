// The import claim of an SQLite database: a lock file beside it.

#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/DatabaseInUse.h"
#include "db/ConnectionClaim.h"

#include <QFile>
#include <gtest/gtest.h>

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
