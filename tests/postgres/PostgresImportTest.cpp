// Whole imports through the built road-import between sample databases on the suite's
// PostgreSQL server: the cases the SQLite end-to-end tests cover, on a real server.

#include "cli/CliHarness.h"
#include "cli/ConcurrentImports.h"
#include "common/PostgresInspector.h"
#include "common/PostgresTestServer.h"
#include "db/ConnectionString.h"
#include "db/DatabaseName.h"

#include <QProcess>
#include <QRegularExpression>
#include <csignal>

namespace {

class PostgresImport : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_POSTGRES_SERVER(); }

    void TearDown() override {
        for (const QString& name : Databases) DropPostgresDatabase(name);
    }

    // A fresh empty database of this test; its connection string.
    QString NewDatabase(const QString& role) {
        const QString test = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
        const QString name = QStringLiteral("road_%1_%2").arg(qHash(test), 8, 16, QLatin1Char('0')).arg(role);
        Databases << name;
        return CreatePostgresDatabase(name);
    }

    // A source of `titles` titles and a destination holding the dictionaries and, with
    // destTitles, titles of its own (named apart from the source's).
    TImportPair NewPair(int titles, int rows, int seed, const QString& prefix = QString(), int destTitles = 0) {
        TImportPair pair{NewDatabase(prefix + QStringLiteral("source")), NewDatabase(prefix + QStringLiteral("dest")),
                         [](const QString& connection) -> std::unique_ptr<TDatabaseInspector> {
                             return std::make_unique<TPostgresInspector>(connection);
                         }};
        MakeSampleSource(pair.Source, titles, rows, seed);
        if (destTitles > 0) MakeSampleSource(pair.Dest, destTitles, 2, seed + 100, 100);
        else MakeSampleDest(pair.Dest, true);
        return pair;
    }

    static std::string Dump(const TImportPair& pair, const QString& connection, bool leaveOutGuid = false) {
        return pair.Inspect(connection)->ContentDump(leaveOutGuid).toStdString();
    }

    QStringList Databases;
};

const QStringList SaveYes = {QStringLiteral("--save"), QStringLiteral("yes")};

}  // namespace

// A destination with titles of its own: the chosen titles arrive complete under keys the
// server assigns, every reference leading to the copy of the row it led to in the source.
TEST_F(PostgresImport, CommittedImportCopiesTheTitlesUnderTheServersKeys) {
    const TImportPair pair = NewPair(4, 3, 1, QString(), 2);
    QHash<QString, QStringList> destBefore;
    {
        const std::unique_ptr<TDatabaseInspector> dest = pair.Inspect(pair.Dest);
        TRowContent content(*dest);
        for (const TOwnedTable& owned : OwnedTables()) destBefore.insert(owned.Table, content.Rows(owned.Table));
    }

    const TToolRun run = RunImporter(pair.Arguments(QStringList{QStringLiteral("--titles"), QStringLiteral("4,2")} + SaveYes));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    ASSERT_GE(run.Out.size(), 2);
    EXPECT_EQ(run.Out[run.Out.size() - 2], QStringLiteral("Импорт прошел успешно!"));

    const std::unique_ptr<TDatabaseInspector> source = pair.Inspect(pair.Source), dest = pair.Inspect(pair.Dest);
    TRowContent sourceContent(*source), destContent(*dest);
    for (const TOwnedTable& owned : OwnedTables()) {
        QStringList expected = destBefore.value(owned.Table) + sourceContent.Rows(owned.Table, owned.Where.arg(QStringLiteral("2, 4")));
        expected.sort();
        EXPECT_EQ(destContent.Rows(owned.Table), expected) << owned.Table.toStdString();
    }
    EXPECT_EQ(dest->Select(QStringLiteral("select max(Код_титула) from Титул")).first()[0].toInt(), 4);
    ExpectNoTraces(pair);
}

// "--save no", and SIGINT in the middle of the copy: the destination reads exactly as
// before and neither database keeps a temporary column or the section link.
TEST_F(PostgresImport, DeclinedAndInterruptedRunsLeaveTheDestinationAsItWas) {
    const TImportPair pair = NewPair(6, 20, 2);
    const std::string before = Dump(pair, pair.Dest);

    const TToolRun declined = RunImporter(pair.Arguments({QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("no")}));
    EXPECT_EQ(declined.ExitCode, 1) << declined.Err.toStdString();
    EXPECT_EQ(declined.Out.value(declined.Out.size() - 1), QStringLiteral("Ошибка импорта"));
    EXPECT_EQ(Dump(pair, pair.Dest), before);
    ExpectNoTraces(pair);

    QProcess process;
    process.start(ImporterPath(), pair.Arguments(QStringList{QStringLiteral("--all-titles")} + SaveYes));
    QStringList lines;
    ASSERT_TRUE(WaitForLine(process, QStringLiteral("Импорт таблицы Знак"), lines, 60000)) << lines.join('\n').toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(Dump(pair, pair.Dest), before);
    ExpectNoTraces(pair);
}

// Titles whose names the destination holds: cancel refuses the run before anything is
// touched; ignore imports the others.
TEST_F(PostgresImport, DuplicateTitlesAreRefusedOrIgnoredAsAnswered) {
    const TImportPair pair = NewPair(3, 2, 3);
    ASSERT_EQ(RunImporter(pair.Arguments(QStringList{QStringLiteral("--titles"), QStringLiteral("1")} + SaveYes)).ExitCode, 0);
    const std::string afterFirst = Dump(pair, pair.Dest);

    const TToolRun cancelled = RunImporter(pair.Arguments(QStringList{QStringLiteral("--titles"), QStringLiteral("1,2")} + SaveYes));
    EXPECT_EQ(cancelled.ExitCode, 3) << cancelled.Err.toStdString();
    EXPECT_EQ(Dump(pair, pair.Dest), afterFirst);

    const TToolRun ignored = RunImporter(pair.Arguments(QStringList{QStringLiteral("--titles"), QStringLiteral("1,2"),
                                                                    QStringLiteral("--on-duplicate"), QStringLiteral("ignore")} + SaveYes));
    EXPECT_EQ(ignored.ExitCode, 0) << ignored.Err.toStdString();
    ExpectTitlesImported(pair, QStringLiteral("1, 2"));
    ExpectNoTraces(pair);
}

// A destination trigger that rejects some rows: each is reported, the rest is copied and
// saved (exit status 4: saved with rows missing).
TEST_F(PostgresImport, RowsTheServerRejectsAreReportedAndTheRestIsCopied) {
    const TImportPair pair = NewPair(3, 3, 4);
    pair.Inspect(pair.Dest)->Execute(QStringLiteral(
        "CREATE FUNCTION Отказ_справа() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
        "IF NEW.Сторона = 'справа' THEN RAISE EXCEPTION 'знаки справа не принимаются'; END IF; RETURN NEW; END $$; "
        "CREATE TRIGGER TR_Знак_справа BEFORE INSERT ON Знак FOR EACH ROW EXECUTE FUNCTION Отказ_справа()"));
    const std::unique_ptr<TDatabaseInspector> source = pair.Inspect(pair.Source);
    const int rejected = source->Select(QStringLiteral("select count(*) from Знак where Сторона = 'справа'")).first()[0].toInt();
    const int all = source->RowCount(QStringLiteral("Знак"));
    ASSERT_GT(rejected, 0);

    const TToolRun run = RunImporter(pair.Arguments(QStringList{QStringLiteral("--all-titles")} + SaveYes));
    EXPECT_EQ(run.ExitCode, 4) << run.Err.toStdString();
    const QStringList failures = run.Out.filter(QRegularExpression(
        QStringLiteral("^Не удалось добавить запись в таблицу Знак с кодом \\d+\\. Ошибка: .*знаки справа не принимаются")));
    EXPECT_EQ(failures.size(), rejected) << run.Out.join('\n').toStdString();
    const std::unique_ptr<TDatabaseInspector> dest = pair.Inspect(pair.Dest);
    EXPECT_EQ(dest->RowCount(QStringLiteral("Знак")), all - rejected);
    EXPECT_EQ(dest->RowCount(QStringLiteral("Дорожный_объект")), source->RowCount(QStringLiteral("Дорожный_объект")));
    ExpectNoTraces(pair);
}

TEST_F(PostgresImport, ASecondRunIsRefusedWhileTheFirstHoldsItsDatabases) {
    const TImportPair first = NewPair(4, 30, 3);
    const TImportPair other = NewPair(2, 2, 4, QStringLiteral("other_"));
    ExpectSecondRunRefusedWhileTheFirstRuns(first, {other.Source, first.Dest, first.Inspect},
                                            {first.Source, other.Dest, first.Inspect});
}

// A run cut short in the middle of its copy, however it ends, leaves both catalogues exactly
// as they were, while it runs as after it, and the destination's rows too; the next run
// imports every title.
TEST_F(PostgresImport, ARunCutShortLeavesBothCataloguesAsTheyWere) {
    struct TCut {
        const char* Name;
        const char* Session;  // the database whose session the server ends; none: SIGKILL
    };
    int seed = 5;
    for (const TCut& cut : {TCut{"killed", nullptr}, TCut{"dest", "dest"}, TCut{"source", "source"}}) {
        SCOPED_TRACE(cut.Name);
        const TImportPair pair = NewPair(6, 20, seed++, QString::fromLatin1(cut.Name) + QLatin1Char('_'));
        const auto catalogues = [&] {
            return (TPostgresInspector(pair.Source).Catalogue() + QStringLiteral("\n---\n") +
                    TPostgresInspector(pair.Dest).Catalogue())
                .toStdString();
        };
        const std::string before = catalogues();
        const std::string destBefore = Dump(pair, pair.Dest);

        QProcess process;
        process.start(ImporterPath(), pair.Arguments(QStringList{QStringLiteral("--all-titles")} + SaveYes));
        QStringList lines;
        ASSERT_TRUE(WaitForLine(process, QStringLiteral("Импорт таблицы Знак"), lines, 60000)) << lines.join('\n').toStdString();
        EXPECT_EQ(catalogues(), before);
        if (!cut.Session) {
            process.kill();
        } else {
            const QString database =
                ParseConnectionString(QLatin1String(cut.Session) == QLatin1String("dest") ? pair.Dest : pair.Source).Location();
            TPostgresInspector(PostgresAdminConnectionString())
                .Select(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = '%1' and "
                                       "application_name = 'road-import'")
                            .arg(database));
        }
        ASSERT_TRUE(process.waitForFinished(60000));
        if (cut.Session) EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
        EXPECT_EQ(catalogues(), before);
        EXPECT_EQ(Dump(pair, pair.Dest), destBefore);

        const TToolRun next = RunImporter(pair.Arguments(QStringList{QStringLiteral("--all-titles")} + SaveYes));
        EXPECT_EQ(next.ExitCode, 0) << next.Err.toStdString();
        ExpectTitlesImported(pair, AllTitleKeys(pair));
        EXPECT_EQ(catalogues(), before);
    }
}

// A run whose destination session is busy in a statement (a trigger that waits) holds its
// claim: a second run is refused after a few seconds, naming the session that holds it. Killed
// (SIGKILL), the first run's session notices that its client is gone and ends, so a run started
// at once afterwards imports.
TEST_F(PostgresImport, AKilledRunWhoseSessionIsBusyDoesNotBlockTheNext) {
    const TImportPair pair = NewPair(3, 4, 7);
    {
        const std::unique_ptr<TDatabaseInspector> dest = pair.Inspect(pair.Dest);
        dest->Execute(QStringLiteral("create table Задержка (Ждать boolean); insert into Задержка values (true)"));
        dest->Execute(QStringLiteral("create function Ждать() returns trigger language plpgsql as $$ begin "
                                     "if (select Ждать from Задержка) then perform pg_sleep(120); end if; "
                                     "return new; end $$"));
        dest->Execute(QStringLiteral("create trigger Знак_ждать before insert on Знак for each row execute function Ждать()"));
    }
    const QStringList saveAll = QStringList{QStringLiteral("--all-titles")} + SaveYes;
    QProcess first;
    first.start(ImporterPath(), pair.Arguments(saveAll));
    QStringList lines;
    ASSERT_TRUE(WaitForLine(first, QStringLiteral("Импорт таблицы Знак"), lines, 60000)) << lines.join('\n').toStdString();

    const TToolRun refused = RunImporter(pair.Arguments(saveAll));
    EXPECT_EQ(refused.ExitCode, 1) << refused.Err.toStdString();
    EXPECT_TRUE(refused.Err.contains(QStringLiteral("уже используется другим импортом (клиент ")) &&
                refused.Err.contains(QStringLiteral(", road-import, с ")))
        << refused.Err.toStdString();

    first.kill();
    ASSERT_TRUE(first.waitForFinished(30000));
    pair.Inspect(pair.Dest)->Execute(QStringLiteral("update Задержка set Ждать = false"));
    const TToolRun next = RunImporter(pair.Arguments(saveAll));
    EXPECT_EQ(next.ExitCode, 0) << next.Err.toStdString();
}

// The server closes the destination's connection in the middle of the copy: the run ends
// with exit status 1 and a message naming the destination, and nothing is saved. A wrong
// password, port or database name is refused at opening with exit status 2, naming it. The
// next good run clears what the cut-off one left.
TEST_F(PostgresImport, ALostOrRefusedConnectionIsNamedAndNothingIsSaved) {
    const TImportPair pair = NewPair(6, 20, 6);
    const std::string before = Dump(pair, pair.Dest);
    const QString destName = pair.Dest.mid(pair.Dest.lastIndexOf(QLatin1Char('=')) + 1);

    QProcess process;
    process.start(ImporterPath(), pair.Arguments(QStringList{QStringLiteral("--all-titles")} + SaveYes));
    QStringList lines;
    ASSERT_TRUE(WaitForLine(process, QStringLiteral("Импорт таблицы Знак"), lines, 60000)) << lines.join('\n').toStdString();
    TPostgresInspector admin(PostgresAdminConnectionString());
    admin.Select(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = '%1'").arg(destName));
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("Ошибка: Соединение с целевой базой данных \"") + DatabaseName(pair.Dest) +
                             QStringLiteral("\" прервано")))
        << err.toStdString();
    // Nothing saved.
    EXPECT_EQ(Dump(pair, pair.Dest), before);

    const QString wrongPassword = QString(pair.Dest).replace(QRegularExpression(QStringLiteral("Password=[^;]*")),
                                                              QStringLiteral("Password=wrong"));
    const QString wrongPort = QString(pair.Dest).replace(QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:\\d+")),
                                                          QStringLiteral("127.0.0.1:1"));
    const QString missing = QString(pair.Dest).replace(destName, QStringLiteral("road_no_such_database"));
    for (const QString& dest : {wrongPassword, wrongPort, missing}) {
        const TToolRun refused = RunImporter({QStringLiteral("--source"), pair.Source, QStringLiteral("--dest"), dest,
                                              QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes")});
        EXPECT_EQ(refused.ExitCode, 2) << refused.Err.toStdString();
        EXPECT_TRUE(refused.Err.contains(QStringLiteral("road-import: cannot open the destination connection \"") +
                                           DatabaseName(dest) + QStringLiteral("\": ")))
            << refused.Err.toStdString();
    }
    EXPECT_EQ(Dump(pair, pair.Dest, true), before);

    // The next run clears what the cut-off one left and imports.
    EXPECT_EQ(RunImporter(pair.Arguments(QStringList{QStringLiteral("--all-titles")} + SaveYes)).ExitCode, 0);
    ExpectNoTraces(pair);
}
