// A database that another program holds locked, or that another import has claimed: the run
// ends at once with a message naming it, rolls back, cleans up what it can, and the next run
// works normally.

#include "RunFrontEnd.h"
#include "TitleTestSupport.h"

#include "common/PostgresTestServer.h"
#include "db/ADOQuery.h"
#include "db/DatabaseInUse.h"
#include "db/DatabaseName.h"
#include "db/ConnectionClaim.h"
#include "sample/SampleDatabase.h"
#include "titles/TitlePreparation.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Every row of every table of an SQLite database, as text.
QStringList Content(TADOConnection& connection) {
    QStringList content;
    for (const QString& table : Rows(connection, QStringLiteral("select name from sqlite_master where type = 'table' order by name"))) {
        QStringList rows = Rows(connection, QStringLiteral("select * from ") + table);
        rows.sort();
        content << table + QLatin1Char(':') + rows.join(QLatin1Char(';'));
    }
    return content;
}

QStringList TablesWithGuid(TADOConnection& connection) {
    return Rows(connection, QStringLiteral("select m.name from sqlite_master m, pragma_table_xinfo(m.name) c "
                                           "where m.type = 'table' and c.name = 'GUID' order by m.name"));
}

int SectionLinks(TADOConnection& connection) {
    return Scalar(connection, QStringLiteral("select count(*) from pragma_foreign_key_list('Дорожный_объект') "
                                             "where \"table\" = 'Межузловой_участок'"));
}

class DatabaseInUse : public TitlesTest {
protected:
    void SetUp() override {
        TitlesTest::SetUp();
        // A lock is waited for one second before the database counts as in use.
        Source.CommandTimeout = 1;
        Dest.CommandTimeout = 1;
        MakeDatabases(3, 2);
        SetQuestionAsker(&Run);
        TADOQuery list(&Source);
        FillListFromTable(QStringLiteral("Титул"), Run, QStringLiteral("Код_титула, Наименование"), false, QString(),
                          QString(), list);
        for (int i = 0; i < Run.ItemCount(); ++i) Run.SetItemChecked(i, true);
        DestBefore = Content(Dest);
    }

    // The message of the error the run ended with.
    template <typename Error>
    QString RunEndingWith() {
        try {
            RunTitleImport(Run, Plan, Source, Dest);
        } catch (const Error& error) {
            return error.message();
        }
        ADD_FAILURE() << "the run did not end with the expected error";
        return QString();
    }

    QString DatabaseText(const QString& role, const QString& path) const {
        return role + QStringLiteral(" база данных \"") + QFileInfo(path).canonicalFilePath() + QLatin1Char('"');
    }

    TRecordingFrontEnd Run;
    QStringList DestBefore;
};

}  // namespace

// Another program's write transaction on the destination: the preparation finds it locked,
// the run ends naming the destination, the source is cleaned up, statements stop waiting
// for locks after the first wait, and once the lock is gone the next run imports.
TEST_F(DatabaseInUse, DestinationLockedByAnotherProgramEndsTheRunNamingIt) {
    TADOConnection other;
    other.ConnectionString = SampleConnectionString(DestPath);
    other.Open();
    Execute(other, QStringLiteral("BEGIN IMMEDIATE TRANSACTION;"));
    Execute(other, QStringLiteral("insert into Регион (Наименование) values ('чужая запись')"));

    EXPECT_EQ(RunEndingWith<EDatabaseInUse>(),
              DatabaseText(QStringLiteral("Целевая"), DestPath) +
                  QStringLiteral(" занята другой программой; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу"));
    EXPECT_TRUE(LogText().contains(QStringLiteral("database is locked")));
    EXPECT_FALSE(Source.FoundInUse());
    EXPECT_TRUE(Dest.FoundInUse());
    EXPECT_EQ(Scalar(Dest, QStringLiteral("PRAGMA busy_timeout")), 0);
    EXPECT_EQ(TablesWithGuid(Source), QStringList());
    EXPECT_EQ(SectionLinks(Source), 0);

    // The other program's work is its own to keep or drop.
    Execute(other, QStringLiteral("COMMIT TRANSACTION;"));
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Регион where Наименование = 'чужая запись'")), 1);
    Execute(other, QStringLiteral("delete from Регион where Наименование = 'чужая запись'"));
    EXPECT_EQ(Content(Dest), DestBefore);
    EXPECT_EQ(TablesWithGuid(Dest), QStringList());

    EXPECT_GT(RunTitleImport(Run, Plan, Source, Dest), 0);
    EXPECT_EQ(Scalar(Dest, QStringLiteral("PRAGMA busy_timeout")), 1000);
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Титул")), 3);
}

// The source locked by another program in the middle of the copy, as a table begins (while a
// table's rows are read the reading holds the file, and the other program waits): no row
// counts as one failed row among others; the copy stops, is rolled back, and the run names
// the source. Neither file keeps a GUID column, and the next run imports everything.
TEST_F(DatabaseInUse, SourceLockedDuringTheCopyRollsTheCopyBack) {
    TADOConnection other;
    other.ConnectionString = SampleConnectionString(SourcePath);
    other.Open();
    bool locked = false;
    Run.TableHook = [&](const QString& table) {
        if (locked || table != QStringLiteral("Дорожный_объект")) return;
        Execute(other, QStringLiteral("BEGIN EXCLUSIVE TRANSACTION;"));
        locked = true;
    };

    EXPECT_EQ(RunEndingWith<EDatabaseInUse>(),
              DatabaseText(QStringLiteral("Исходная"), SourcePath) +
                  QStringLiteral(" занята другой программой; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу"));
    EXPECT_TRUE(locked);
    EXPECT_EQ(Run.Memo.filter(QStringLiteral("Не удалось добавить запись")), QStringList());
    EXPECT_EQ(Run.Memo.last(), QStringLiteral("Ошибка импорта"));
    EXPECT_EQ(Content(Dest), DestBefore);
    EXPECT_EQ(TablesWithGuid(Dest), QStringList());

    Execute(other, QStringLiteral("ROLLBACK TRANSACTION;"));
    EXPECT_EQ(TablesWithGuid(Source), QStringList());
    Run.TableHook = nullptr;
    EXPECT_GT(RunTitleImport(Run, Plan, Source, Dest), 0);
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Титул")), 3);
    EXPECT_EQ(TablesWithGuid(Source), QStringList());
    EXPECT_EQ(SectionLinks(Source), 0);
}

// A destination another import has claimed: refused before the preparation touches either
// database; when the claim is given up, the run goes ahead and leaves no claim file behind.
TEST_F(DatabaseInUse, AClaimedDatabaseRefusesTheRunBeforeAnythingChanges) {
    TADOConnection other;
    other.ConnectionString = SampleConnectionString(DestPath);
    other.Open();
    std::unique_ptr<TImportClaimHold> claim = TakeImportClaim(other);

    EXPECT_EQ(RunEndingWith<EDatabaseClaimed>(),
              DatabaseText(QStringLiteral("Целевая"), DestPath) +
                  QStringLiteral(" уже используется другим импортом; импорт не начат, ничего не изменено"));
    EXPECT_EQ(Run.Events, (QStringList{QStringLiteral("clear memo"), QStringLiteral("log page")}));
    EXPECT_EQ(TablesWithGuid(Source), QStringList());

    // The source's claim was given back when the run was refused.
    TADOConnection third;
    third.ConnectionString = SampleConnectionString(SourcePath);
    third.Open();
    EXPECT_NO_THROW(TakeImportClaim(third));

    claim.reset();
    EXPECT_GT(RunTitleImport(Run, Plan, Source, Dest), 0);
    EXPECT_FALSE(QFile::exists(DestPath + QStringLiteral(".import-lock")));
    EXPECT_FALSE(QFile::exists(SourcePath + QStringLiteral(".import-lock")));
}

// PostgreSQL: another session holds a lock on a destination table that the preparation must
// alter. The wait ends at the lock timeout, the run ends naming the destination, whatever
// the preparation changed is undone in both databases, and the next run imports.
TEST_F(TitlesTest, PostgresTableLockedByAnotherSessionEndsTheRunNamingIt) {
    REQUIRE_POSTGRES_SERVER();
    Source.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_in_use_source"));
    Dest.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_in_use_dest"));
    Source.CommandTimeout = 1;
    Dest.CommandTimeout = 1;
    Source.Open();
    Dest.Open();
    FillSampleDatabase(Source, 2, 2, 1);
    FillEmptySampleDatabase(Dest, true);
    TRecordingFrontEnd run;
    SetQuestionAsker(&run);
    TADOQuery list(&Source);
    FillListFromTable(QStringLiteral("Титул"), run, QStringLiteral("Код_титула, Наименование"), false, QString(), QString(), list);
    for (int i = 0; i < run.ItemCount(); ++i) run.SetItemChecked(i, true);
    const QString guidColumns = QStringLiteral("select count(*) from pg_attribute where attname = 'guid' and not attisdropped");

    TADOConnection other;
    other.ConnectionString = Dest.ConnectionString;
    other.Open();
    Execute(other, QStringLiteral("BEGIN TRANSACTION;"));
    Execute(other, QStringLiteral("LOCK TABLE Знак IN SHARE MODE"));
    QString message;
    try {
        RunTitleImport(run, Plan, Source, Dest);
    } catch (const EDatabaseInUse& error) {
        message = error.message();
    }
    EXPECT_EQ(message, QStringLiteral("Целевая база данных \"") + DatabaseName(Dest.ConnectionString) +
                           QStringLiteral("\" занята другой программой; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу"));
    EXPECT_TRUE(LogText().contains(QStringLiteral("lock timeout"))) << LogText().toStdString();
    EXPECT_EQ(Scalar(Source, guidColumns), 0);
    EXPECT_EQ(Scalar(Dest, guidColumns), 0);
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Титул")), 0);
    Execute(other, QStringLiteral("ROLLBACK TRANSACTION;"));
    other.Close();

    EXPECT_GT(RunTitleImport(run, Plan, Source, Dest), 0);
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Титул")), 2);
    EXPECT_EQ(Scalar(Dest, guidColumns), 0);
    Source.Close();
    Dest.Close();
    DropPostgresDatabase(QStringLiteral("road_in_use_source"));
    DropPostgresDatabase(QStringLiteral("road_in_use_dest"));
}
