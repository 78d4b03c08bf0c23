// The temporary GUID columns and the section link around a copy, on SQLite for real (where
// they live in the connection) and as SQL Server texts.

#include "TitleTestSupport.h"

#include "common/RecordingConnection.h"
#include "copier/Callbacks.h"
#include "copier/SchemaIntrospection.h"
#include "db/Dialect.h"
#include "db/DbError.h"
#include "titles/TitleClosure.h"
#include "titles/TitlePreparation.h"

#include <QSet>

namespace {

const QString guard = QStringLiteral(
    "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[%1]') and OBJECTPROPERTY(id, "
    "N'IsUserTable') = 1)");

// The file's schema as SQLite keeps it: what an import must leave as it was.
QStringList Schema(TADOConnection& connection) {
    return Rows(connection, QStringLiteral("select type, name, tbl_name, sql from sqlite_master order by rowid"));
}

// The copier's list of the table's columns.
QStringList CopiedColumns(TADOConnection& connection, const QString& table) {
    return GetColumnList(table, connection, QString()).split(QStringLiteral(", "));
}

// The GUID of every row of the table, read as the copier reads its source.
QStringList GuidsRead(TADOConnection& connection, const QString& table) {
    const QString key = GetPrimaryKeyColumn(table, connection);
    return Rows(connection, QStringLiteral("select ") + key + QStringLiteral(", GUID  from ") + table +
                                QStringLiteral(" where ") + key + QStringLiteral(" in (select ") + key +
                                QStringLiteral(" from ") + table + QLatin1Char(')'));
}

}  // namespace

// On SQLite the columns live in the connection: the copier sees them, the files never do.
TEST_F(TitlesTest, GuidColumnsAreMadeInBothConnectionsAndDroppedAfterwards) {
    MakeDatabases(2, 3);
    const QStringList sourceSchema = Schema(Source), destSchema = Schema(Dest);
    QStringList events;
    OnTableStart = [&events](const QString& name, int rows, int count, int number) {
        events << QStringLiteral("start %1 %2 %3 %4").arg(name).arg(rows).arg(count).arg(number);
    };
    OnRowProgress = [&events](const QString& name, int position) {
        events << QStringLiteral("row %1 %2").arg(name).arg(position);
    };
    TickTitles({2});
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);
    const int n = Plan.ImportTableList.Count();

    for (TADOConnection* connection : {&Source, &Dest})
        for (const QString& table : Plan.ImportTableList.Strings()) {
            EXPECT_EQ(CopiedColumns(*connection, table).last(), QStringLiteral("GUID")) << table.toStdString();
            EXPECT_FALSE(HasColumn(*connection, table, QStringLiteral("GUID"))) << table.toStdString();
        }
    EXPECT_FALSE(CopiedColumns(Source, QStringLiteral("Регион")).contains(QStringLiteral("GUID")));
    // Every row reads a GUID of its own, the same each time.
    const QStringList guids = GuidsRead(Source, QStringLiteral("Дорожный_объект"));
    EXPECT_EQ(guids.size(), Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект")));
    EXPECT_EQ(QSet<QString>(guids.begin(), guids.end()).size(), guids.size());
    EXPECT_EQ(GuidsRead(Source, QStringLiteral("Дорожный_объект")), guids);
    EXPECT_EQ(MemoLines.count(QStringLiteral("Создаем GUID-ы")), 2);
    EXPECT_EQ(events.count(QStringLiteral("start Создаем GUID-ы %1 -1 0").arg(n)), 2);
    EXPECT_EQ(events.count(QStringLiteral("row Создаем GUID-ы %1").arg(n - 1)), 2);
    EXPECT_EQ(LogText().count(QStringLiteral("GUID-ы созданы успешно")), 2);

    DropImportSchemaChanges(Plan, Source, Dest);
    for (TADOConnection* connection : {&Source, &Dest})
        for (const QString& table : Plan.ImportTableList.Strings())
            EXPECT_FALSE(CopiedColumns(*connection, table).contains(QStringLiteral("GUID"))) << table.toStdString();
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка")));

    // A second finish only logs what it cannot drop, one pair per table and database, in
    // the words of a drop of a missing column.
    const QStringList titles = Rows(Source, QStringLiteral("select * from Титул"));
    DropImportSchemaChanges(Plan, Source, Dest);
    EXPECT_EQ(LogText().count(QStringLiteral("Ошибка удаления GUID-ов для таблицы Титул")), 2);
    EXPECT_EQ(LogText().count(QStringLiteral("Ошибка удаления GUID-ов для таблицы ")), 2 * n);
    EXPECT_EQ(LogText().count(QStringLiteral("no such column: \"GUID\"")), 2 * n);
    EXPECT_EQ(Rows(Source, QStringLiteral("select * from Титул")), titles);
    EXPECT_EQ(Schema(Source), sourceSchema);
    EXPECT_EQ(Schema(Dest), destSchema);
}

// A GUID column that an older version left in the file refuses the add as it did then, is
// replaced in the connection by one that reads a fresh value in every row, and goes with
// the drop.
TEST_F(TitlesTest, AColumnLeftByAnOlderVersionIsRemovedByTheDrop) {
    MakeDatabases(2, 2);
    const QStringList schema = Schema(Source);
    Execute(Source, QStringLiteral("ALTER TABLE Событие ADD GUID uniqueidentifier NULL"));
    Execute(Source, QStringLiteral("UPDATE Событие SET GUID = 'old' WHERE Код_события = 1"));  // the rest NULL
    AddImportTable(Plan, QStringLiteral("Событие"), QString());
    AddImportTable(Plan, QStringLiteral("Дефект"), QString());
    AddExcludedTable(Plan, QStringLiteral("НетТакойТаблицы"));
    CreateGuidColumns(Plan, Source);

    const QString log = LogText();
    EXPECT_TRUE(log.contains(QStringLiteral("Ошибка создания GUID-ов для таблицыСобытие")));
    EXPECT_TRUE(log.contains(QStringLiteral("duplicate column name: GUID")));
    EXPECT_FALSE(log.contains(QStringLiteral("НетТакойТаблицы")));
    EXPECT_TRUE(log.contains(QStringLiteral("GUID-ы созданы успешно")));
    for (const QString& table : {QStringLiteral("Событие"), QStringLiteral("Дефект")}) {
        EXPECT_EQ(CopiedColumns(Source, table).count(QStringLiteral("GUID")), 1) << table.toStdString();
        const QStringList guids = GuidsRead(Source, table);
        EXPECT_EQ(guids.size(), Scalar(Source, QStringLiteral("select count(*) from ") + table));
        EXPECT_EQ(QSet<QString>(guids.begin(), guids.end()).size(), guids.size());
        EXPECT_FALSE(guids.join(QLatin1Char(' ')).contains(QStringLiteral("|old"))) << table.toStdString();
    }

    DropGuidColumns(Plan, Source);
    EXPECT_FALSE(HasColumn(Source, QStringLiteral("Событие"), QStringLiteral("GUID")));
    EXPECT_EQ(Schema(Source), schema);
}

TEST_F(TitlesTest, SectionLinkClearsDanglingSectionsAndIsReportedUntilDropped) {
    MakeDatabases(3, 3);
    const QString objects = QStringLiteral("Дорожный_объект");
    const QString sections = QStringLiteral("Межузловой_участок");
    const QString dangling = QStringLiteral(
        "select count(*) from Дорожный_объект where Код_участка not in (select Код_участка from Межузловой_участок)");
    const int danglingBefore = Scalar(Source, dangling);
    const int nullsBefore = Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект where Код_участка is null"));
    ASSERT_EQ(danglingBefore, 3);  // one per title
    const QStringList schema = Schema(Source);
    const QString objectRows = QStringLiteral("select Код_объекта, Наименование, Км, Схема from Дорожный_объект order by 1");
    const QStringList rowsBefore = Rows(Source, objectRows);
    const QString links = Source.Dialect().ForeignKeysStatement(objects);
    const QStringList keysBefore = Rows(Source, links);
    EXPECT_TRUE(GetReferencedTable(objects, QStringLiteral("Код_участка"), Source).isEmpty());

    AddSectionLink(Source);
    EXPECT_EQ(Scalar(Source, dangling), 0);
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект where Код_участка is null")),
              nullsBefore + danglingBefore);
    EXPECT_EQ(GetReferencedTable(objects, QStringLiteral("Код_участка"), Source), sections);
    EXPECT_EQ(Rows(Source, links).count(QStringLiteral("Код_участка|Межузловой_участок")), 1);
    EXPECT_EQ(Schema(Source), schema);

    AddSectionLink(Source);  // a second one beside the first
    EXPECT_EQ(Rows(Source, links).count(QStringLiteral("Код_участка|Межузловой_участок")), 2);
    DropSectionLink(Source);
    EXPECT_TRUE(GetReferencedTable(objects, QStringLiteral("Код_участка"), Source).isEmpty());
    EXPECT_EQ(Rows(Source, links), keysBefore);
    DropSectionLink(Source);  // nothing left to drop: harmless
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка")));

    // Nothing else of the table changed: its rows and the file's schema.
    EXPECT_EQ(Rows(Source, objectRows), rowsBefore);
    EXPECT_EQ(Schema(Source), schema);
    EXPECT_EQ(Rows(Source, QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("ok")});
}

TEST_F(TitlesTest, SectionLinkErrorsAreLoggedNotRaised) {
    SourcePath = Dir.Path(QStringLiteral("bare.db"));
    CreateSqliteDatabase(SourcePath, {QStringLiteral("create table Титул (Код_титула integer primary key)")});
    Source.ConnectionString = SqliteConnectionString(SourcePath);
    Source.Open();
    AddSectionLink(Source);
    DropSectionLink(Source);
    EXPECT_TRUE(LogText().contains(QStringLiteral("Ошибка создания связей")));
}

class SqlServerHousekeeping : public TitlesTest {
protected:
    void SetUp() override {
        TitlesTest::SetUp();
        Connection.Open();
        Connection.Responder = [this](const QString& sql, const QVector<TBoundParam>&, bool) -> TRowSet {
            for (const QString& failing : Failing)
                if (sql.contains(failing)) throw EDatabaseError(QStringLiteral("Сервер отказал: ") + failing);
            return TRowSet();
        };
        AddImportTable(Plan, QStringLiteral("Титул"), QStringLiteral("1"));
        AddExcludedTable(Plan, QStringLiteral("Building"));
    }
    TRecordingConnection Connection;
    QStringList Failing;
};

TEST_F(SqlServerHousekeeping, GuidStatementsCarryTheGuardAndTheFillFollowsAFailedAlter) {
    Failing = {QStringLiteral("ALTER TABLE Титул ADD")};
    CreateGuidColumns(Plan, Connection);
    EXPECT_EQ(Connection.Statements,
              (QStringList{guard.arg(QStringLiteral("Титул")) + QStringLiteral("ALTER TABLE Титул ADD GUID uniqueidentifier NULL"),
                           guard.arg(QStringLiteral("Титул")) + QStringLiteral("UPDATE Титул SET GUID = newid()"),
                           guard.arg(QStringLiteral("Building")) + QStringLiteral("ALTER TABLE Building ADD GUID uniqueidentifier NULL"),
                           guard.arg(QStringLiteral("Building")) + QStringLiteral("UPDATE Building SET GUID = newid()")}));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Ошибка создания GUID-ов для таблицыТитул")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Сервер отказал: ALTER TABLE Титул ADD")));

    Connection.Statements.clear();
    Failing = {QStringLiteral("DROP COLUMN")};
    DropGuidColumns(Plan, Connection);
    EXPECT_EQ(Connection.Statements,
              (QStringList{guard.arg(QStringLiteral("Титул")) + QStringLiteral("ALTER TABLE Титул DROP COLUMN GUID;"),
                           guard.arg(QStringLiteral("Building")) + QStringLiteral("ALTER TABLE Building DROP COLUMN GUID;")}));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Ошибка удаления GUID-ов для таблицы Building")));
}

// A column that cannot be added but is filled (left by an interrupted run) is usable; one
// that can be neither added nor filled is answered with the refusal to add it.
TEST_F(SqlServerHousekeeping, TablesWithoutAUsableColumnAreAnswered) {
    Failing = {QStringLiteral("ALTER TABLE Титул ADD")};
    EXPECT_TRUE(CreateGuidColumns(Plan, Connection).isEmpty());
    EXPECT_EQ(LogText().count(QStringLiteral("GUID-ы созданы успешно")), 1);

    Failing = {QStringLiteral("ALTER TABLE Титул ADD"), QStringLiteral("UPDATE Титул")};
    const QVector<TGuidColumnFailure> failures = CreateGuidColumns(Plan, Connection);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].Table, QStringLiteral("Титул"));
    EXPECT_EQ(failures[0].Reason, QStringLiteral("Сервер отказал: ALTER TABLE Титул ADD"));
    EXPECT_EQ(LogText().count(QStringLiteral("GUID-ы созданы успешно")), 1);  // not said of the second call

    Failing = {QStringLiteral("UPDATE Building")};
    const QVector<TGuidColumnFailure> unfilled = CreateGuidColumns(Plan, Connection);
    ASSERT_EQ(unfilled.size(), 1);
    EXPECT_EQ(unfilled[0].Table, QStringLiteral("Building"));
    EXPECT_EQ(unfilled[0].Reason, QStringLiteral("Сервер отказал: UPDATE Building"));
}

TEST_F(SqlServerHousekeeping, SectionLinkStatementsAreSentAsWritten) {
    const QString clear = QStringLiteral(
        "Update Дорожный_объект Set Код_участка = NULL Where Код_участка not in (Select Код_участка From "
        "Межузловой_участок)");
    AddSectionLink(Connection);
    DropSectionLink(Connection);
    EXPECT_EQ(
        Connection.Statements,
        (QStringList{
            clear,
            QStringLiteral("ALTER TABLE Дорожный_объект ADD FOREIGN KEY (Код_участка) REFERENCES Межузловой_участок  "
                           "(Код_участка) ON DELETE NO ACTION ON UPDATE NO ACTION"),
            QStringLiteral(
                "DECLARE @fkName varchar(100) DECLARE cur CURSOR LOCAL FOR SELECT t3.CONSTRAINT_NAME FROM "
                "INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS AS t1 INNER JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE AS t2 "
                "ON t1.UNIQUE_CONSTRAINT_NAME = t2.CONSTRAINT_NAME INNER JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE AS t3 "
                "ON t1.CONSTRAINT_NAME = t3.CONSTRAINT_NAME WHERE  t3.TABLE_NAME = 'Дорожный_объект' and t2.TABLE_NAME "
                "= 'Межузловой_участок' OPEN cur FETCH NEXT FROM cur INTO  @fkName WHILE @@FETCH_STATUS = 0 BEGIN   "
                "EXEC ('ALTER TABLE Дорожный_объект DROP CONSTRAINT '+@fkName)   FETCH NEXT FROM cur   INTO  @fkName "
                "END CLOSE cur DEALLOCATE cur ")}));

    // A failed clearing keeps the key from being added; a failed batch is only logged.
    Connection.Statements.clear();
    Failing = {QStringLiteral("Update Дорожный_объект"), QStringLiteral("DECLARE")};
    AddSectionLink(Connection);
    DropSectionLink(Connection);
    EXPECT_EQ(Connection.Statements.size(), 2);
    EXPECT_TRUE(LogText().contains(QStringLiteral("Ошибка создания связей")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Ошибка удаления связей")));
}
