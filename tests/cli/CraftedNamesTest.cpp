// Databases received from elsewhere: table and column names read from their catalogues
// never become part of a statement.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const QString CraftedTable = QStringLiteral("Межузловой_участок where 0; delete from Регион; --");
const QString BlankTable = QStringLiteral("Доп участок");
const QString QuotedColumnTable = QStringLiteral("Замечание");

// Three tables that refer to Титул, each holding a row for every title.
void AddCraftedTables(const QString& path) {
    TSqliteInspector db(path);
    db.Execute(QStringLiteral("create table \"") + CraftedTable +
               QStringLiteral("\" (Код integer primary key, Код_титула integer references Титул(Код_титула), Текст text)"));
    db.Execute(QStringLiteral("create table \"") + BlankTable +
               QStringLiteral("\" (Код integer primary key, Код_титула integer references Титул(Код_титула))"));
    db.Execute(QStringLiteral("create table ") + QuotedColumnTable +
               QStringLiteral(" (Код_замечания integer primary key, Код_титула integer references "
                              "Титул(Код_титула), \"Прим'ечание\" text)"));
    db.Execute(QStringLiteral("insert into \"") + CraftedTable +
               QStringLiteral("\" (Код_титула, Текст) select Код_титула, 'x' from Титул"));
    db.Execute(QStringLiteral("insert into \"") + BlankTable + QStringLiteral("\" (Код_титула) select Код_титула from Титул"));
    db.Execute(QStringLiteral("insert into ") + QuotedColumnTable +
               QStringLiteral(" (Код_титула, \"Прим'ечание\") select Код_титула, 'y' from Титул"));
}

QHash<QString, QString> TableDumps(const QString& path) {
    TSqliteInspector db(path);
    QHash<QString, QString> dumps;
    for (const QString& table : db.Tables()) {
        QStringList rows;
        for (const QVariantList& row : db.Select(QStringLiteral("select * from \"%1\"").arg(QString(table).replace(
                                                     QLatin1Char('"'), QStringLiteral("\"\"")))))
        {
            QStringList values;
            for (const QVariant& value : row)
                values << (value.typeId() == QMetaType::QByteArray ? QString::fromLatin1(value.toByteArray().toHex())
                                                                    : value.toString());
            rows << values.join(QLatin1Char('|'));
        }
        rows.sort();
        dumps.insert(table, rows.join(QLatin1Char('\n')));
    }
    return dumps;
}

}  // namespace

// The ordinary rows of the chosen titles arrive; the three tables are reported and left
// out; the source is untouched and so is every destination table the titles put no row in.
TEST(CraftedNames, TablesWithUnwritableNamesAreReportedAndLeftOutOfBothDatabases) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    MakeSampleSource(source, 3, 2, 3);
    MakeSampleSource(dest, 2, 2, 7, 100);
    AddCraftedTables(source);
    AddCraftedTables(dest);
    const QHash<QString, QString> sourceBefore = TableDumps(source);
    const QHash<QString, QString> destBefore = TableDumps(dest);

    const TToolRun run = RunImporter(
        ImportArguments(source, dest, {QStringLiteral("--titles"), QStringLiteral("1,3"), QStringLiteral("--save"),
                                       QStringLiteral("yes")}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString() << run.Out.join(QLatin1Char('\n')).toStdString();
    const QString notImported = QStringLiteral(" не будет импортирована: ");
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Таблица ") + CraftedTable + notImported +
                                 QStringLiteral("ее имя нельзя записать в запрос без кавычек")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Таблица ") + BlankTable + notImported +
                                 QStringLiteral("ее имя нельзя записать в запрос без кавычек")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Таблица ") + QuotedColumnTable + notImported +
                                 QStringLiteral("имя ее столбца \"Прим'ечание\" нельзя записать в запрос без кавычек")));

    // The section link's lasting change (references to sections that do not exist are
    // cleared) is the only change a run makes to the source.
    const QHash<QString, QString> sourceAfter = TableDumps(source);
    EXPECT_EQ(sourceAfter.keys().size(), sourceBefore.keys().size());
    for (auto table = sourceBefore.cbegin(); table != sourceBefore.cend(); ++table)
        if (table.key() != QStringLiteral("Дорожный_объект"))
            EXPECT_TRUE(sourceAfter.value(table.key()) == table.value()) << table.key().toStdString();
    const QHash<QString, QString> destAfter = TableDumps(dest);
    const QStringList received = {QStringLiteral("Титул"), QStringLiteral("Межузловой_участок"),
                                  QStringLiteral("Дорожный_объект"), QStringLiteral("Знак"), QStringLiteral("Измерение"),
                                  QStringLiteral("Событие"), QStringLiteral("Дефект"), QStringLiteral("Фото_дефекта"),
                                  QStringLiteral("Ремонт"), QStringLiteral("Акт_приемки")};
    for (auto table = destBefore.cbegin(); table != destBefore.cend(); ++table)
        if (!received.contains(table.key()))
            EXPECT_TRUE(destAfter.value(table.key()) == table.value()) << table.key().toStdString();

    TSqliteInspector destDb(dest);
    EXPECT_EQ(destDb.RowCount(QStringLiteral("Титул")), 4);
    EXPECT_GT(destDb.RowCount(QStringLiteral("Дорожный_объект")), 0);
    EXPECT_EQ(destDb.TablesWithGuidColumn(), QStringList());
}
