// What a run did, table by table: the memo's table before the save question and the
// --summary file, checked against the databases' content.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

// "inserted reused updated failed pulled_in" of a table in the summary.
QString CountsText(const QJsonObject& counts) {
    QStringList values;
    for (const char* key : {"inserted", "reused", "updated", "failed", "pulled_in"})
        values << QString::number(counts.value(QLatin1String(key)).toInt(-1));
    return values.join(QLatin1Char(' '));
}

}  // namespace

// The destination holds only part of the sign types that the chosen titles use: the others
// are inserted, those it holds are found and reused, all of them pulled in by the signs.
TEST(RunSummary, CountsMatchWhatTheDestinationReceivedAndReused) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    const QString summaryFile = dir.Path(QStringLiteral("summary.json"));
    MakeSampleSource(source, 3, 3, 11);
    MakeSampleDest(dest, true);

    QStringList usedTypes;  // the sign types the signs of the titles use, by their natural key
    QStringList titleNames;
    int signs = 0;
    {
        TSqliteInspector db(source);
        for (const QVariantList& row : db.Select(QStringLiteral(
                 "select distinct t.Номер_по_ГОСТу from Знак z join Справочник_типов_знаков t "
                 "on t.Код_типа_знака = z.Код_типа_знака order by 1")))
            usedTypes << row[0].toString();
        for (const QVariantList& row : db.Select(QStringLiteral("select Наименование from Титул order by Код_титула")))
            titleNames << row[0].toString();
        signs = db.RowCount(QStringLiteral("Знак"));
    }
    ASSERT_GE(usedTypes.size(), 2);
    const QString usedList = QStringLiteral("('") + usedTypes.join(QStringLiteral("', '")) + QStringLiteral("')");
    int typesBefore = 0, typesFound = 0;
    {
        TSqliteInspector db(dest);
        db.Execute(QStringLiteral("delete from Справочник_типов_знаков where Номер_по_ГОСТу = '") + usedTypes.first() +
                   QLatin1Char('\''));
        typesBefore = db.RowCount(QStringLiteral("Справочник_типов_знаков"));
        typesFound = db.Select(QStringLiteral("select count(*) from Справочник_типов_знаков where Номер_по_ГОСТу in ") +
                               usedList).first()[0].toInt();
    }
    ASSERT_GT(typesFound, 0);

    const TToolRun run = RunImporter(ImportArguments(
        source, dest,
        {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes"), QStringLiteral("--summary"),
         summaryFile}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();

    const QJsonObject summary = ReadJsonObject(summaryFile);
    EXPECT_EQ(summary.value(QStringLiteral("outcome")).toString(), QStringLiteral("saved"));
    const QJsonArray titles = summary.value(QStringLiteral("titles")).toArray();
    ASSERT_EQ(titles.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(titles[i].toObject().value(QStringLiteral("code")).toInt(), i + 1);
        EXPECT_EQ(titles[i].toObject().value(QStringLiteral("name")).toString(), titleNames[i]);
    }
    const QJsonObject tables = summary.value(QStringLiteral("tables")).toObject();
    TSqliteInspector db(dest);
    const int typesAdded = db.RowCount(QStringLiteral("Справочник_типов_знаков")) - typesBefore;
    EXPECT_EQ(typesAdded, usedTypes.size() - typesFound);
    const QString typeCounts = QStringLiteral("%1 %2 0 0 %3").arg(typesAdded).arg(typesFound).arg(usedTypes.size());
    EXPECT_EQ(CountsText(tables.value(QStringLiteral("Справочник_типов_знаков")).toObject()), typeCounts);
    EXPECT_EQ(CountsText(tables.value(QStringLiteral("Титул")).toObject()), QStringLiteral("3 0 0 0 0"));
    EXPECT_EQ(CountsText(tables.value(QStringLiteral("Знак")).toObject()), QStringLiteral("%1 0 0 0 0").arg(signs));
    EXPECT_EQ(db.RowCount(QStringLiteral("Знак")), signs);
    // The total is the sum of the tables.
    int inserted = 0;
    for (const QJsonValue& counts : tables) inserted += counts.toObject().value(QStringLiteral("inserted")).toInt();
    EXPECT_EQ(summary.value(QStringLiteral("total")).toObject().value(QStringLiteral("inserted")).toInt(), inserted);

    // The memo: the same counts as a table after the last table's lines, before the end.
    const int caption = static_cast<int>(run.Out.indexOf(QStringLiteral("Итоги импорта по таблицам:")));
    ASSERT_GT(caption, 0) << run.Out.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(run.Out.mid(caption).filter(QRegularExpression(QStringLiteral("^Импорт таблицы "))).isEmpty());
    EXPECT_EQ(run.Out.mid(caption).indexOf(QStringLiteral("Импорт прошел успешно!")), run.Out.size() - 2 - caption);
    EXPECT_TRUE(run.Out.contains(
        QRegularExpression(QStringLiteral("Справочник_типов_знаков +%1").arg(QString(typeCounts).replace(' ', " +")))));
    EXPECT_TRUE(run.Out.contains(QRegularExpression(QStringLiteral("Всего +%1 .*").arg(inserted))))
        << run.Out.mid(caption).join(QLatin1Char('\n')).toStdString();
}

// An unwritable summary file is a usage error before anything runs.
TEST(RunSummary, UnwritableFileIsRefusedBeforeAnythingRuns) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    MakeSampleSource(source, 1, 1);
    MakeSampleDest(dest, true);
    QString before;
    {
        TSqliteInspector db(dest);
        before = db.ContentDump();
    }
    const TToolRun run = RunImporter(ImportArguments(
        source, dest,
        {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes"), QStringLiteral("--summary"),
         dir.Path(QStringLiteral("no-such-folder/summary.json"))}));
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.startsWith(QStringLiteral("road-import: --summary: cannot write"))) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.isEmpty());
    TSqliteInspector db(dest);
    EXPECT_EQ(db.ContentDump(), before);
}
