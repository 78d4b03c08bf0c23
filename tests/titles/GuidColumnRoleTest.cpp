// The temporary GUID columns on connections that know their part in an import, on real
// SQLite files: computed on the source, unfilled on the destination, and what a run that was
// cut short left behind.

#include "TitleTestSupport.h"

#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "titles/TitleClosure.h"
#include "titles/TitlePreparation.h"

namespace {

// pragma_table_xinfo's "hidden" of the table's GUID column: 0 stored, 2 computed; -1 none.
int GuidKind(TADOConnection& connection, const QString& table) {
    return Scalar(connection, QStringLiteral("select coalesce((select hidden from pragma_table_xinfo('") + table +
                                  QStringLiteral("') where name = 'GUID'), -1)"));
}

int Count(TADOConnection& connection, const QString& table, const QString& condition) {
    return Scalar(connection, QStringLiteral("select count(*) from ") + table + QStringLiteral(" where ") + condition);
}

bool HasGuidIndex(TADOConnection& connection, const QString& table) {
    return Scalar(connection, QStringLiteral("select count(*) from sqlite_master where type = 'index' and name = 'GUID_") +
                                  table + QLatin1Char('\'')) > 0;
}

QStringList ListedColumns(TADOConnection& connection, const QString& table) {
    return Rows(connection, connection.Dialect().ColumnListStatement(table));
}

}  // namespace

TEST_F(TitlesTest, SourceGuidIsComputedFromARowidKeyAndStoredElsewhere) {
    MakeDatabases(2, 3);
    Source.Role = TConnectionRole::Source;
    Execute(Source, QStringLiteral("create table Метка (Код text primary key, Имя text)"));
    Execute(Source, QStringLiteral("insert into Метка values ('a', 'x'), ('b', 'y')"));
    Execute(Source, QStringLiteral("create table Пара (Код integer primary key, Имя text) without rowid"));
    Execute(Source, QStringLiteral("insert into Пара values (1, 'x'), (2, 'y')"));
    Execute(Source, QStringLiteral("alter table Событие add Двойной integer generated always as (Код_события * 2) virtual"));
    const QString events = QStringLiteral("Событие");
    for (const QString& table : {events, QStringLiteral("Метка"), QStringLiteral("Пара")}) AddImportTable(Plan, table, QString());
    const int rows = Scalar(Source, QStringLiteral("select count(*) from Событие"));
    ASSERT_GT(rows, 1);

    CreateGuidColumns(Plan, Source);
    EXPECT_EQ(GuidKind(Source, events), 2);
    EXPECT_FALSE(HasGuidIndex(Source, events));
    // newid()'s shape, one prefix for the column, the key in the last group: distinct, never NULL.
    EXPECT_EQ(Count(Source, events, QStringLiteral("length(GUID) = 36 and GUID glob '[0-9A-F]*-*-*-*-*' and "
                                                   "substr(GUID, 25) = printf('%012X', Код_события)")),
              rows);
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(distinct substr(GUID, 1, 24)) from Событие")), 1);
    const QStringList listed = ListedColumns(Source, events);
    EXPECT_TRUE(listed.contains(QStringLiteral("GUID")));
    EXPECT_FALSE(listed.contains(QStringLiteral("Двойной")));
    for (const QString& table : {QStringLiteral("Метка"), QStringLiteral("Пара")}) {
        EXPECT_EQ(GuidKind(Source, table), 0) << table.toStdString();
        EXPECT_EQ(Count(Source, table, QStringLiteral("GUID is null")), 0);
        EXPECT_TRUE(HasGuidIndex(Source, table));
    }

    DropGuidColumns(Plan, Source);
    for (const QString& table : Plan.ImportTableList.Strings()) EXPECT_EQ(GuidKind(Source, table), -1) << table.toStdString();
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from Событие where Двойной = Код_события * 2")), rows);
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка")));
}

TEST_F(TitlesTest, DestinationGuidIsIndexedButItsRowsAreNotFilled) {
    MakeDatabases(1, 1);
    Dest.Role = TConnectionRole::Destination;
    const QString regions = QStringLiteral("Регион");
    ASSERT_GT(Scalar(Dest, QStringLiteral("select count(*) from Регион")), 0);
    AddImportTable(Plan, regions, QString());

    CreateGuidColumns(Plan, Dest);
    EXPECT_EQ(GuidKind(Dest, regions), 0);
    EXPECT_EQ(Count(Dest, regions, QStringLiteral("GUID is not null")), 0);
    EXPECT_TRUE(HasGuidIndex(Dest, regions));
    // The copier writes the source's value into it.
    Execute(Dest, QStringLiteral("insert into Регион (Наименование, GUID) values ('Новый', 'G')"));
    EXPECT_EQ(Count(Dest, regions, QStringLiteral("GUID = 'G'")), 1);

    DropGuidColumns(Plan, Dest);
    EXPECT_EQ(GuidKind(Dest, regions), -1);
    EXPECT_FALSE(HasGuidIndex(Dest, regions));
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка")));
}

TEST_F(TitlesTest, ColumnsLeftByAnInterruptedRunServeTheNextRunByRole) {
    MakeDatabases(2, 2);
    const QString events = QStringLiteral("Событие");
    const QString defects = QStringLiteral("Дефект");
    AddImportTable(Plan, events, QString());
    AddImportTable(Plan, defects, QString());

    // Source: a computed column of the cut run is made anew with another prefix; a stored
    // one gets fresh values in every row.
    Source.Role = TConnectionRole::Source;
    CreateGuidColumns(Plan, Source);
    const QString firstPrefix = Rows(Source, QStringLiteral("select substr(GUID, 1, 24) from Событие limit 1")).value(0);
    DropGuidColumns(Plan, Source);
    CreateGuidColumns(Plan, Source);
    Execute(Source, QStringLiteral("alter table Дефект drop column GUID"));
    Execute(Source, QStringLiteral("alter table Дефект add GUID uniqueidentifier NULL"));
    Execute(Source, QStringLiteral("update Дефект set GUID = 'old' where rowid = (select min(rowid) from Дефект)"));
    const QString cutPrefix = Rows(Source, QStringLiteral("select substr(GUID, 1, 24) from Событие limit 1")).value(0);
    EXPECT_NE(cutPrefix, firstPrefix);
    CreateGuidColumns(Plan, Source);  // the next run
    EXPECT_EQ(GuidKind(Source, events), 2);
    EXPECT_EQ(Count(Source, events, QStringLiteral("substr(GUID, 1, 24) = '") + cutPrefix + QLatin1Char('\'')), 0);
    EXPECT_EQ(GuidKind(Source, defects), 0);
    EXPECT_EQ(Count(Source, defects, QStringLiteral("GUID is null or GUID = 'old'")), 0);

    // Destination: a computed column (the file was a source then) becomes a stored one; a
    // stored one keeps its values, which no search of this run can match, and gets its index.
    Dest.Close();
    Source.Close();
    std::swap(SourcePath, DestPath);
    OpenConnections();
    Dest.Role = TConnectionRole::Destination;
    const QString values = QStringLiteral("select GUID from Дефект order by rowid");
    const QStringList kept = Rows(Dest, values);
    ASSERT_FALSE(kept.isEmpty());
    CreateGuidColumns(Plan, Dest);
    EXPECT_EQ(GuidKind(Dest, events), 0);
    EXPECT_EQ(Count(Dest, events, QStringLiteral("GUID is not null")), 0);
    EXPECT_EQ(GuidKind(Dest, defects), 0);
    EXPECT_EQ(Rows(Dest, values), kept);
    EXPECT_TRUE(HasGuidIndex(Dest, events));
    EXPECT_TRUE(HasGuidIndex(Dest, defects));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Ошибка создания GUID-ов для таблицыДефект")));
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка создания GUID-ов для таблицыСобытие")));
}
