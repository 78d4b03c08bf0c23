// The runner's command line: the title list, usage errors and connections that cannot be
// opened, each with its exit status and a message that says what is wrong.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QStringList SaveYes = {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes")};

// Exit 2 with one reason line naming `mention`, followed by the hint to --help.
void ExpectUsageError(const QStringList& arguments, const QString& mention) {
    const TToolRun run = RunImporter(arguments);
    EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_EQ(run.Out, QStringList());
    const QStringList lines = run.Err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.Err.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("road-import: "))) << run.Err.toStdString();
    EXPECT_TRUE(lines[0].contains(mention)) << run.Err.toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("--help")));
}

// Exit 2 with a message about the connection that names `mention`.
void ExpectConnectionError(const QStringList& arguments, const QString& role, const QString& mention) {
    const TToolRun run = RunImporter(arguments);
    EXPECT_EQ(run.ExitCode, 2) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringList());
    EXPECT_TRUE(run.Err.startsWith(QStringLiteral("road-import: cannot open the %1 connection").arg(role)))
        << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(mention)) << run.Err.toStdString();
}

}  // namespace

TEST(CommandLine, ListTitlesPrintsCodeTabNameInListOrder) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    MakeSampleSource(source, 3, 1, 6);
    const TToolRun run = RunImporter({QStringLiteral("--source"), SqliteConnectionString(source), QStringLiteral("--list-titles")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    QStringList expected;
    TSqliteInspector db(source);
    for (const QVariantList& row : db.Select(QStringLiteral("select Код_титула, Наименование from Титул")))
        expected << row[0].toString() + '\t' + row[1].toString();
    EXPECT_EQ(run.Out, expected);
    EXPECT_EQ(run.Err, QString());
}

TEST(CommandLine, HelpDescribesTheInterface) {
    const TToolRun run = RunImporter({QStringLiteral("--source"), QStringLiteral("x"), QStringLiteral("--help")});
    EXPECT_EQ(run.ExitCode, 0);
    const QString help = run.Out.join('\n');
    for (const char* word : {"--source", "--dest", "--titles", "--all-titles", "--save", "--on-duplicate", "--timeout",
                             "--log", "--list-titles", "SIGINT", "Exit status"})
        EXPECT_TRUE(help.contains(QLatin1String(word))) << word;
}

TEST(CommandLine, MalformedCommandLinesAreUsageErrors) {
    const QString conn = QStringLiteral("Provider=SQLite;Location=/nonexistent.db");
    const QStringList base = {QStringLiteral("--source"), conn, QStringLiteral("--dest"), conn};
    ExpectUsageError({}, QStringLiteral("no arguments"));
    ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("--frobnicate")}, QStringLiteral("--frobnicate"));
    ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("stray")}, QStringLiteral("stray"));
    ExpectUsageError({QStringLiteral("--source"), QStringLiteral("--dest"), conn, QStringLiteral("--all-titles"),
                      QStringLiteral("--save"), QStringLiteral("yes")},
                     QStringLiteral("--source needs a value"));
    ExpectUsageError(base + QStringList{QStringLiteral("--all-titles"), QStringLiteral("--save")}, QStringLiteral("--save"));
    ExpectUsageError(base + QStringList{QStringLiteral("--all-titles")}, QStringLiteral("--save"));
    ExpectUsageError(base + QStringList{QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("maybe")},
                     QStringLiteral("maybe"));
    ExpectUsageError(base + QStringList{QStringLiteral("--save"), QStringLiteral("no")}, QStringLiteral("--all-titles"));
    ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("--titles"), QStringLiteral("1")},
                     QStringLiteral("not both"));
    ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("--on-duplicate"), QStringLiteral("skip")},
                     QStringLiteral("skip"));
    for (const char* timeout : {"29", "3601", "abc", "60s"})
        ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("--timeout"), QLatin1String(timeout)},
                         QStringLiteral("--timeout"));
    ExpectUsageError({QStringLiteral("--source"), conn, QStringLiteral("--list-titles"), QStringLiteral("--save"),
                      QStringLiteral("yes")},
                     QStringLiteral("--save"));
    ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("--save=no")}, QStringLiteral("more than once"));
    // A log that cannot be written would be switched off silently.
    TTestDir dir;
    for (const QString& log : {dir.Path(QStringLiteral("no-such-folder/road.log")), dir.Path(QStringLiteral("."))})
        ExpectUsageError(base + SaveYes + QStringList{QStringLiteral("--log"), log}, QStringLiteral("--log"));
}

TEST(CommandLine, ConnectionsThatCannotBeOpenedExitWithTheDriversText) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    MakeSampleSource(source, 2, 1, 8);
    MakeSampleDest(dest, false);

    // A missing file is reported, not created empty.
    const QString missing = dir.Path(QStringLiteral("missing.db"));
    ExpectConnectionError(QStringList{QStringLiteral("--source"), SqliteConnectionString(missing), QStringLiteral("--dest"),
                                      SqliteConnectionString(dest)} +
                              SaveYes,
                          QStringLiteral("source"), QStringLiteral("missing.db"));
    EXPECT_FALSE(QFile::exists(missing));
    ExpectConnectionError(QStringList{QStringLiteral("--source"), SqliteConnectionString(source), QStringLiteral("--dest"),
                                      SqliteConnectionString(missing)} +
                              SaveYes,
                          QStringLiteral("destination"), QStringLiteral("missing.db"));
    EXPECT_FALSE(QFile::exists(missing));

    ExpectConnectionError(QStringList{QStringLiteral("--source"), QStringLiteral("Provider=SQLite;Location=\"") + source,
                                      QStringLiteral("--list-titles")},
                          QStringLiteral("source"), QString());
    ExpectConnectionError(QStringList{QStringLiteral("--source"), QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb"),
                                      QStringLiteral("--list-titles")},
                          QStringLiteral("source"), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    // No database named: refused before anything connects (a server would pick one itself).
    for (const QString& unnamed : {QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1:1;User ID=u"),
                                   QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,1;User ID=u"),
                                   QStringLiteral("Provider=SQLite;Location=")})
        ExpectConnectionError(QStringList{QStringLiteral("--source"), unnamed, QStringLiteral("--list-titles")},
                              QStringLiteral("source"), QStringLiteral("Не задано имя базы данных."));
}

TEST(CommandLine, UnknownTitleCodeIsAUsageErrorNamingIt) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    MakeSampleSource(source, 2, 1, 9);
    MakeSampleDest(dest, false);
    QString before;
    {
        TSqliteInspector db(dest);
        before = db.ContentDump();
    }
    ExpectUsageError(ImportArguments(source, dest, {QStringLiteral("--titles"), QStringLiteral("2,77"),
                                                    QStringLiteral("--save"), QStringLiteral("yes")}),
                     QStringLiteral("77"));
    TSqliteInspector db(dest);
    EXPECT_EQ(db.ContentDump(), before);
}

// A source without the title table cannot give a title list: the window's message, exit 2.
TEST(CommandLine, SourceWithoutTitleTableExitsWithTheListMessage) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("other.db"));
    CreateSqliteDatabase(source, {QStringLiteral("create table Другое (Код integer primary key)")});
    const TToolRun run = RunImporter({QStringLiteral("--source"), SqliteConnectionString(source), QStringLiteral("--list-titles")});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(
        QStringLiteral("Ошибка: Таблица Титул не найдена. Возможная причина - несоответствие версии базы данных")))
        << run.Err.toStdString();
}
