// Whole imports through the built road-import between generated sample databases.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

bool IsDictionary(const QString& table) {
    return table.startsWith(QStringLiteral("Справочник_")) || table == QStringLiteral("Регион") ||
           table == QStringLiteral("Район") || table == QStringLiteral("Населенный_пункт") ||
           table == QStringLiteral("Организация");
}

// Row counts of every table.
QHash<QString, int> RowCounts(const TSqliteInspector& db) {
    QHash<QString, int> counts;
    for (const QString& table : db.Tables()) counts.insert(table, db.RowCount(table));
    return counts;
}

void ExpectNoTraces(const QString& sourcePath, const QString& destPath) {
    TSqliteInspector source(sourcePath), dest(destPath);
    EXPECT_EQ(source.TablesWithGuidColumn(), QStringList());
    EXPECT_EQ(dest.TablesWithGuidColumn(), QStringList());
    EXPECT_EQ(source.SectionLinkCount(), 0);
    EXPECT_EQ(dest.SectionLinkCount(), 0);
}

class ImportEndToEnd : public ::testing::Test {
protected:
    TTestDir Dir;
    QString Source = Dir.Path(QStringLiteral("source.db"));
    QString Dest = Dir.Path(QStringLiteral("dest.db"));
};

}  // namespace

// A destination that already holds titles of its own and every dictionary (under other
// keys): the chosen titles arrive complete, with new keys, every reference leading to the
// copy of the row it led to in the source, and no dictionary row added twice.
TEST_F(ImportEndToEnd, CommittedImportCopiesTheTitlesClosureTableByTable) {
    MakeSampleSource(Source, 4, 3, 1);
    MakeSampleSource(Dest, 2, 2, 7, 100);

    QHash<QString, QStringList> destBefore;
    QHash<QString, int> countsBefore;
    {
        TSqliteInspector dest(Dest);
        TRowContent content(dest);
        for (const TOwnedTable& owned : OwnedTables()) destBefore.insert(owned.Table, content.Rows(owned.Table));
        countsBefore = RowCounts(dest);
    }

    const TToolRun run = RunImporter(ImportArguments(
        Source, Dest, {QStringLiteral("--titles"), QStringLiteral("4,2"), QStringLiteral("--save"), QStringLiteral("yes")}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();

    // The memo: the GUID phase once per database, the title table announced with the two
    // keys, and the closing lines counting the tables announced.
    EXPECT_EQ(run.Out.count(QStringLiteral("Создаем GUID-ы")), 2);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Импорт таблицы Титул - 2 записей")));
    const int announced = static_cast<int>(run.Out.filter(QRegularExpression(QStringLiteral("^Импорт таблицы "))).size());
    ASSERT_GE(run.Out.size(), 2);
    EXPECT_EQ(run.Out[run.Out.size() - 2], QStringLiteral("Импорт прошел успешно!"));
    EXPECT_EQ(run.Out.last(), QStringLiteral("Импортировано %1 таблиц").arg(announced));
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Подтверждение: Импорт прошел успешно, сохранить?\n-> Да")))
        << run.Err.toStdString();

    TSqliteInspector source(Source), dest(Dest);
    TRowContent sourceContent(source), destContent(dest);
    for (const TOwnedTable& owned : OwnedTables()) {
        QStringList expected = destBefore.value(owned.Table) +
                               sourceContent.Rows(owned.Table, owned.Where.arg(QStringLiteral("2, 4")));
        expected.sort();
        EXPECT_EQ(destContent.Rows(owned.Table), expected) << owned.Table.toStdString();
    }
    // The copies got the destination's own keys: its titles 1 and 2 stayed as they were.
    EXPECT_EQ(dest.Select(QStringLiteral("select max(Код_титула) from Титул")).first()[0].toInt(), 4);
    EXPECT_EQ(dest.RowCount(QStringLiteral("Титул")), 4);

    // Dictionaries were found, not copied again; the tables the import never copies and the
    // log without a key are untouched.
    for (const QString& table : dest.Tables()) {
        if (IsDictionary(table) || table == QStringLiteral("Building") || table == QStringLiteral("ДТП") ||
            table == QStringLiteral("Журнал_изменений_титула") || table == QStringLiteral("Расчетные_объекты")) {
            EXPECT_EQ(dest.RowCount(table), countsBefore.value(table)) << table.toStdString();
        }
    }

    ExpectNoTraces(Source, Dest);
}

// "--save no", and a run that fails (a destination without one of the tables), roll
// everything back: the destination reads exactly as before, and neither database keeps a
// temporary column or the section link. Only the failure sends the user to the log.
TEST_F(ImportEndToEnd, UnsavedRunsLeaveTheDestinationAsItWas) {
    MakeSampleSource(Source, 3, 3, 2);
    MakeSampleDest(Dest, true);
    QString before;
    {
        TSqliteInspector dest(Dest);
        before = dest.ContentDump();
    }

    const TToolRun run = RunImporter(
        ImportArguments(Source, Dest, {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("no")}));
    EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
    ASSERT_FALSE(run.Out.isEmpty());
    EXPECT_EQ(run.Out.last(), QStringLiteral("Ошибка импорта"));
    EXPECT_TRUE(run.Err.contains(QStringLiteral("-> Нет (--save no)"))) << run.Err.toStdString();
    EXPECT_FALSE(run.Err.contains(QStringLiteral("failed"))) << run.Err.toStdString();

    {
        TSqliteInspector dest(Dest);
        EXPECT_EQ(dest.ContentDump(), before);
        dest.Execute(QStringLiteral("drop table Знак"));
        before = dest.ContentDump();
    }
    ExpectNoTraces(Source, Dest);

    const QString log = Dir.Path(QStringLiteral("failed.log"));
    const TToolRun failed = RunImporter(ImportArguments(
        Source, Dest, {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes"), QStringLiteral("--log"), log}));
    EXPECT_EQ(failed.ExitCode, 1) << failed.Err.toStdString();
    ASSERT_FALSE(failed.Out.isEmpty());
    EXPECT_EQ(failed.Out.last(), QStringLiteral("Ошибка импорта"));
    // The destination's missing table is named, and the log that holds the steps.
    EXPECT_TRUE(failed.Err.contains(QStringLiteral("no such table: Знак; схемы баз данных различаются")))
        << failed.Err.toStdString();
    EXPECT_TRUE(failed.Err.contains(QStringLiteral("the cause is in the diagnostic log ") + log))
        << failed.Err.toStdString();
    {
        TSqliteInspector dest(Dest);
        EXPECT_EQ(dest.ContentDump(), before);
    }
    ExpectNoTraces(Source, Dest);
}

// Titles whose names the destination holds: cancel refuses the run (exit 3) before anything
// is touched; ignore imports the others; ignoring every title leaves none to import.
TEST_F(ImportEndToEnd, DuplicateTitlesAreRefusedOrIgnoredAsAnswered) {
    MakeSampleSource(Source, 3, 2, 3);
    MakeSampleDest(Dest, false);
    ASSERT_EQ(RunImporter(ImportArguments(Source, Dest, {QStringLiteral("--titles"), QStringLiteral("1"),
                                                         QStringLiteral("--save"), QStringLiteral("yes")}))
                  .ExitCode,
              0);
    QString firstName, afterFirst;
    {
        TSqliteInspector source(Source), dest(Dest);
        firstName = source.Select(QStringLiteral("select Наименование from Титул where Код_титула = 1")).first()[0].toString();
        afterFirst = dest.ContentDump();
    }

    const TToolRun cancelled = RunImporter(ImportArguments(
        Source, Dest, {QStringLiteral("--titles"), QStringLiteral("1,2"), QStringLiteral("--save"), QStringLiteral("yes")}));
    EXPECT_EQ(cancelled.ExitCode, 3);
    EXPECT_EQ(cancelled.Out, QStringList());
    EXPECT_TRUE(cancelled.Err.contains(QStringLiteral("Ошибка: Титулы: \n") + firstName +
                                       QStringLiteral("\nневозможно импортировать, т.к. в целевой базе данных "
                                                      "существуют титулы с такими же именами.\n-> Отмена")))
        << cancelled.Err.toStdString();
    {
        TSqliteInspector dest(Dest);
        EXPECT_EQ(dest.ContentDump(), afterFirst);
    }

    const TToolRun ignored = RunImporter(
        ImportArguments(Source, Dest, {QStringLiteral("--titles"), QStringLiteral("1,2"), QStringLiteral("--save"),
                                       QStringLiteral("yes"), QStringLiteral("--on-duplicate"), QStringLiteral("ignore")}));
    EXPECT_EQ(ignored.ExitCode, 0) << ignored.Err.toStdString();
    EXPECT_TRUE(ignored.Out.contains(QStringLiteral("Импорт таблицы Титул - 1 записей")));
    EXPECT_TRUE(ignored.Err.contains(QStringLiteral("-> Игнорировать (--on-duplicate ignore)")));
    {
        TSqliteInspector source(Source), dest(Dest);
        TRowContent sourceContent(source), destContent(dest);
        EXPECT_EQ(destContent.Rows(QStringLiteral("Титул")),
                  sourceContent.Rows(QStringLiteral("Титул"), QStringLiteral("Код_титула in (1, 2)")));
    }

    const TToolRun nothingLeft = RunImporter(
        ImportArguments(Source, Dest, {QStringLiteral("--titles"), QStringLiteral("2"), QStringLiteral("--save"),
                                       QStringLiteral("yes"), QStringLiteral("--on-duplicate"), QStringLiteral("ignore")}));
    EXPECT_EQ(nothingLeft.ExitCode, 3);
    EXPECT_TRUE(nothingLeft.Err.contains(QStringLiteral("Ошибка: Ни один титул не выбран.")))
        << nothingLeft.Err.toStdString();
    ExpectNoTraces(Source, Dest);
}

// A destination trigger that rejects some rows: each rejected row is reported in the memo,
// the other rows of that table and every other table arrive, and the run is saved (exit 4).
TEST_F(ImportEndToEnd, RowsTheDestinationRejectsAreReportedAndTheRestIsCopied) {
    MakeSampleSource(Source, 3, 3, 4);
    MakeSampleDest(Dest, true);
    {
        TSqliteInspector dest(Dest);
        dest.Execute(QStringLiteral("CREATE TRIGGER TR_Знак_справа BEFORE INSERT ON Знак WHEN NEW.Сторона = 'справа' "
                                    "BEGIN SELECT RAISE(ABORT, 'знаки справа не принимаются'); END"));
    }
    int rejected = 0, accepted = 0;
    {
        TSqliteInspector source(Source);
        rejected = source.Select(QStringLiteral("select count(*) from Знак where Сторона = 'справа'")).first()[0].toInt();
        accepted = source.RowCount(QStringLiteral("Знак")) - rejected;
    }
    ASSERT_GT(rejected, 0);
    ASSERT_GT(accepted, 0);

    const QString summaryFile = Dir.Path(QStringLiteral("summary.json"));
    const TToolRun run = RunImporter(ImportArguments(
        Source, Dest,
        {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes"), QStringLiteral("--summary"),
         summaryFile}));
    // Saved, but with rows missing: a script can tell it from a clean run.
    EXPECT_EQ(run.ExitCode, 4) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("the import was saved, but %1 row(s) failed").arg(rejected)))
        << run.Err.toStdString();
    // The refused rows are counted as failed inserts, in the memo's table and the summary.
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Ошибки в таблице Знак: добавление отклонено: %1").arg(rejected)))
        << run.Out.join(QLatin1Char('\n')).toStdString();
    QFile summary(summaryFile);
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    const QJsonObject signs = QJsonDocument::fromJson(summary.readAll())
                                  .object()
                                  .value(QStringLiteral("tables"))
                                  .toObject()
                                  .value(QStringLiteral("Знак"))
                                  .toObject();
    EXPECT_EQ(signs.value(QStringLiteral("inserted")).toInt(), accepted);
    EXPECT_EQ(signs.value(QStringLiteral("failed")).toInt(), rejected);
    EXPECT_EQ(signs.value(QStringLiteral("failures")).toObject(), (QJsonObject{{QStringLiteral("insert"), rejected}}));
    const QStringList failures =
        run.Out.filter(QRegularExpression(QStringLiteral("^Не удалось добавить запись в таблицу Знак с кодом \\d+\\. Ошибка: .*"
                                                         "знаки справа не принимаются")));
    EXPECT_EQ(failures.size(), rejected) << run.Out.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(run.Out.size(), 2);
    EXPECT_EQ(run.Out[run.Out.size() - 2], QStringLiteral("Импорт прошел успешно!"));

    TSqliteInspector source(Source), dest(Dest);
    EXPECT_EQ(dest.RowCount(QStringLiteral("Знак")), accepted);
    EXPECT_EQ(dest.Select(QStringLiteral("select count(*) from Знак where Сторона = 'справа'")).first()[0].toInt(), 0);
    for (const TOwnedTable& owned : OwnedTables()) {
        if (owned.Table != QStringLiteral("Знак")) {
            EXPECT_EQ(dest.RowCount(owned.Table), source.RowCount(owned.Table)) << owned.Table.toStdString();
        }
    }
}
