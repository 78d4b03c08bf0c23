// The temporary GUID columns and the section link around a copy, on SQLite for real and as
// SQL Server texts.

#include "TitleTestSupport.h"

#include "common/RecordingConnection.h"
#include "copier/Callbacks.h"
#include "db/DbError.h"
#include "titles/TitleClosure.h"
#include "titles/TitlePreparation.h"

namespace {

const QString guard = QStringLiteral(
    "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[%1]') and OBJECTPROPERTY(id, "
    "N'IsUserTable') = 1)");

QStringList SectionKeys(TADOConnection& connection) {
    return Rows(connection, QStringLiteral("select \"from\", \"to\" from pragma_foreign_key_list('Дорожный_объект') "
                                           "where \"table\" = 'Межузловой_участок'"));
}

}  // namespace

TEST_F(TitlesTest, GuidColumnsAreMadeAndFilledInBothDatabasesAndDroppedAfterwards) {
    MakeDatabases(2, 3);
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
            ASSERT_TRUE(HasColumn(*connection, table, QStringLiteral("GUID"))) << table.toStdString();
            const QString from = QStringLiteral(" from ") + table;
            EXPECT_EQ(Scalar(*connection, QStringLiteral("select count(*)") + from + QStringLiteral(" where GUID is null")), 0);
            EXPECT_EQ(Scalar(*connection, QStringLiteral("select count(distinct GUID)") + from),
                      Scalar(*connection, QStringLiteral("select count(*)") + from));
        }
    EXPECT_FALSE(HasColumn(Source, QStringLiteral("Регион"), QStringLiteral("GUID")));
    EXPECT_EQ(MemoLines.count(QStringLiteral("Создаем GUID-ы")), 2);
    EXPECT_EQ(events.count(QStringLiteral("start Создаем GUID-ы %1 -1 0").arg(n)), 2);
    EXPECT_EQ(events.count(QStringLiteral("row Создаем GUID-ы %1").arg(n - 1)), 2);
    EXPECT_EQ(LogText().count(QStringLiteral("GUID-ы созданы успешно")), 2);

    DropImportSchemaChanges(Plan, Source, Dest);
    for (TADOConnection* connection : {&Source, &Dest})
        for (const QString& table : Plan.ImportTableList.Strings())
            EXPECT_FALSE(HasColumn(*connection, table, QStringLiteral("GUID"))) << table.toStdString();
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка")));

    // A second finish only logs what it cannot drop, one pair per table and database.
    const QStringList titles = Rows(Source, QStringLiteral("select * from Титул"));
    DropImportSchemaChanges(Plan, Source, Dest);
    EXPECT_EQ(LogText().count(QStringLiteral("Ошибка удаления GUID-ов для таблицы Титул")), 2);
    EXPECT_EQ(LogText().count(QStringLiteral("Ошибка удаления GUID-ов для таблицы ")), 2 * n);
    EXPECT_EQ(Rows(Source, QStringLiteral("select * from Титул")), titles);
}

TEST_F(TitlesTest, ColumnLeftByAnInterruptedRunGetsFreshValuesInEveryRow) {
    MakeDatabases(2, 2);
    Execute(Source, QStringLiteral("ALTER TABLE Событие ADD GUID uniqueidentifier NULL"));
    Execute(Source, QStringLiteral("UPDATE Событие SET GUID = 'old' WHERE Код_события = 1"));  // the rest NULL
    AddImportTable(Plan, QStringLiteral("Событие"), QString());
    AddImportTable(Plan, QStringLiteral("Дефект"), QString());
    AddExcludedTable(Plan, QStringLiteral("НетТакойТаблицы"));
    CreateGuidColumns(Plan, Source);

    const QString log = LogText();
    EXPECT_TRUE(log.contains(QStringLiteral("Ошибка создания GUID-ов для таблицыСобытие")));
    EXPECT_FALSE(log.contains(QStringLiteral("НетТакойТаблицы")));
    EXPECT_TRUE(log.contains(QStringLiteral("GUID-ы созданы успешно")));
    for (const QString& table : {QStringLiteral("Событие"), QStringLiteral("Дефект")}) {
        EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from ") + table + QStringLiteral(" where GUID is null or GUID = 'old'")), 0);
        EXPECT_EQ(Scalar(Source, QStringLiteral("select count(distinct GUID) from ") + table),
                  Scalar(Source, QStringLiteral("select count(*) from ") + table));
    }
}

TEST_F(TitlesTest, SectionLinkClearsDanglingSectionsAndIsDroppedWithEveryOtherSuchKey) {
    MakeDatabases(3, 3);
    const QString dangling = QStringLiteral(
        "select count(*) from Дорожный_объект where Код_участка not in (select Код_участка from Межузловой_участок)");
    const int danglingBefore = Scalar(Source, dangling);
    const int nullsBefore = Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект where Код_участка is null"));
    ASSERT_EQ(danglingBefore, 3);  // one per title
    const QStringList otherKeys = Rows(Source, QStringLiteral("select * from pragma_foreign_key_list('Дорожный_объект')"));
    const QString objects = QStringLiteral("select Код_объекта, Наименование, Км, Схема from Дорожный_объект order by 1");
    const QStringList objectRows = Rows(Source, objects);

    AddSectionLink(Source);
    EXPECT_EQ(Scalar(Source, dangling), 0);
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект where Код_участка is null")),
              nullsBefore + danglingBefore);
    EXPECT_EQ(SectionKeys(Source), QStringList{QStringLiteral("Код_участка|Код_участка")});
    // The key is in force on this connection at once.
    EXPECT_THROW(Execute(Source, QStringLiteral("UPDATE Дорожный_объект SET Код_участка = 777777 WHERE Код_объекта = 1")),
                 EDatabaseError);

    AddSectionLink(Source);  // a second one beside the first
    EXPECT_EQ(SectionKeys(Source).size(), 2);
    DropSectionLink(Source);
    EXPECT_TRUE(SectionKeys(Source).isEmpty());
    DropSectionLink(Source);  // nothing left to drop: harmless
    EXPECT_FALSE(LogText().contains(QStringLiteral("Ошибка")));

    // Nothing else of the table changed: rows, its other keys, its index and its trigger.
    EXPECT_EQ(Rows(Source, QStringLiteral("select * from pragma_foreign_key_list('Дорожный_объект')")), otherKeys);
    EXPECT_EQ(Rows(Source, objects), objectRows);
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from sqlite_master where name in "
                                            "('IX_Дорожный_объект_Участок', 'TR_Дорожный_объект_Км')")),
              2);
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
