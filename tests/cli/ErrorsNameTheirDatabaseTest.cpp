// Every error the runner shows says which database it comes from, and a destination that
// lacks a table or a column of the source is said to have another schema.

#include "CliHarness.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

void ExecuteOn(const QString& path, const QString& statement) {
    TADOConnection connection;
    connection.ConnectionString = SqliteConnectionString(path);
    connection.Open();
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.ExecSQL();
}

// Pages 6 to 8 of the file overwritten: its header, its catalogue and the title list still
// read, the rows the titles own do not.
void Damage(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(5 * 4096);
    file.write(QByteArray(3 * 4096, '\xff'));
}

}  // namespace

TEST(ErrorsNameTheirDatabase, TheRunnerSaysWhichDatabaseAndWhetherTheSchemasDiffer) {
    enum TPlace { InSource, InDest, InDestConnection };
    const struct {
        const char* Case;
        TPlace Place;
        std::function<void(const TSampleFiles&)> Break;
        QString Said;
        int ExitCode;
    } cases[] = {
        {"no title table", InDest,
         [](const TSampleFiles& f) { ExecuteOn(f.Dest, "PRAGMA foreign_keys = OFF; drop table Титул"); },
         ": no such table: Титул; схемы баз данных различаются", 1},
        {"no column", InDest,
         [](const TSampleFiles& f) { ExecuteOn(f.Dest, "alter table Дорожный_объект drop column Схема"); },
         ": no such column: Схема; схемы баз данных различаются; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу", 1},
        {"malformed source", InSource, [](const TSampleFiles& f) { Damage(f.Source); },
         ": database disk image is malformed", 1},
        {"a title name holding NUL", InDest,
         [](const TSampleFiles& f) {
             ExecuteOn(f.Source, "update Титул set Наименование = 'Дорога' || char(0) || 'x' where Код_титула = 1");
         },
         ": unrecognized token", 1},
        {"no provider", InDestConnection, nullptr,
         "road-import: cannot open the destination connection: В строке подключения не указан провайдер (Provider)", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TSampleFiles files(3, 3);
        if (c.Break) c.Break(files);
        QStringList arguments = ImportArguments(files.Source, files.Dest, {"--titles", "1,2", "--save", "yes"});
        if (c.Place == InDestConnection) arguments[3] = QStringLiteral("Location=") + files.Dest;
        const TToolRun run = RunImporter(arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err.toStdString();
        const QString database =
            c.Place == InSource ? QStringLiteral("Ошибка: Исходная база данных \"") + QFileInfo(files.Source).canonicalFilePath()
                                : QStringLiteral("Ошибка: Целевая база данных \"") + QFileInfo(files.Dest).canonicalFilePath();
        const QString expected = c.Place == InDestConnection ? c.Said : database + QLatin1Char('"') + c.Said;
        EXPECT_TRUE(run.Err.contains(expected)) << run.Err.toStdString() << "\nexpected: " << expected.toStdString();
    }
}
