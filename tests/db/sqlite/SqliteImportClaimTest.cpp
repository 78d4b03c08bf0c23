// The import claim of an SQLite database: a lock file beside it.

#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/DatabaseInUse.h"
#include "db/ConnectionClaim.h"

#include <QDir>
#include <QFile>
#include <unistd.h>
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

// The claim follows the file, not its name: a second name of the same file (a hard link,
// a symbolic link, a path through "..") is refused while the first holds it; another file is not.
TEST(ImportClaim, SqliteClaimFollowsTheFileWhateverItsName) {
    TTestDir dir;
    const QString path = dir.Path(QStringLiteral("roads.db"));
    CreateSqliteDatabase(path, {});
    const QString hardLink = dir.Path(QStringLiteral("also.db"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(hardLink).constData()), 0);
    const QString symbolicLink = dir.Path(QStringLiteral("pointer.db"));
    ASSERT_TRUE(QFile::link(path, symbolicLink));
    const QString other = dir.Path(QStringLiteral("other.db"));
    CreateSqliteDatabase(other, {});

    const struct {
        QString Name;
        bool Refused;
    } cases[] = {{hardLink, true}, {symbolicLink, true}, {dir.Path(QStringLiteral("x/../roads.db")), true},
                 {other, false}};
    TADOConnection first;
    first.ConnectionString = SqliteConnectionString(path);
    first.Open();
    const std::unique_ptr<TImportClaimHold> hold = TakeImportClaim(first);
    QDir(dir.Path(QString())).mkdir(QStringLiteral("x"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        TADOConnection second;
        second.ConnectionString = SqliteConnectionString(c.Name);
        second.Open();
        if (c.Refused) EXPECT_THROW(TakeImportClaim(second), EDatabaseClaimed);
        else EXPECT_NO_THROW(TakeImportClaim(second));
    }
}
