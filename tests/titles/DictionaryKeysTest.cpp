// The match columns: GUID for the closure, the fixed natural columns, "Описание" for the
// other dictionaries; appended by every preparation, the first entry for a name counting.

#include "TitleTestSupport.h"

#include "common/RecordingConnection.h"
#include "titles/DictionaryKeys.h"
#include "titles/TitleClosure.h"
#include "titles/TitlePreparation.h"

namespace {

QString MatchColumnsOf(const TImportPlan& plan, const QString& table) {
    const int at = plan.MatchTableList.IndexOf(table);
    return at < 0 ? QStringLiteral("<none>") : plan.MatchColumnList[at];
}

}  // namespace

TEST_F(TitlesTest, EachPreparationAppendsClosureFixedPairsAndOtherDictionaries) {
    MakeDatabases(2, 2);
    TickTitles({1});
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);
    const int n = Plan.ImportTableList.Count();
    const int d = 2;  // Справочник_покрытий, Справочник_единиц_измерения
    ASSERT_EQ(Plan.MatchTableList.Count(), n + 15 + d);
    ASSERT_EQ(Plan.MatchColumnList.Count(), Plan.MatchTableList.Count());
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(Plan.MatchTableList[i], Plan.ImportTableList[i]);
        EXPECT_EQ(Plan.MatchColumnList[i], QStringLiteral("GUID"));
    }
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(Plan.MatchTableList[n + i], FixedMatchColumns()[i].first);
        EXPECT_EQ(Plan.MatchColumnList[n + i], FixedMatchColumns()[i].second);
    }
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("Справочник_видов_измерений")),
              QStringLiteral("Описание, Код_типа_объекта, Код_подтипа_объекта"));
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("Справочник_типов_знаков")), QStringLiteral("Номер_по_ГОСТу"));
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("справочник_покрытий")), QStringLiteral("Описание"));
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("Справочник_единиц_измерения")), QStringLiteral("Описание"));
    const QStringList first = Plan.MatchColumnList.Strings();
    const QStringList names = Plan.MatchTableList.Strings();
    DropImportSchemaChanges(Plan, Source, Dest);

    // A second preparation: closure and fixed pairs again, no dictionary twice, the same answers.
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);
    ASSERT_EQ(Plan.MatchTableList.Count(), 2 * n + 30 + d);
    for (const QString& table : names) EXPECT_EQ(MatchColumnsOf(Plan, table), first[names.indexOf(table)]);
    DropImportSchemaChanges(Plan, Source, Dest);
}

TEST_F(TitlesTest, ClosureTablesAreMatchedByGuidAndAnyDictionaryNameByDescription) {
    SourcePath = Dir.Path(QStringLiteral("catalogue.db"));
    CreateSqliteDatabase(SourcePath, {QStringLiteral("create table Регион (Код_региона integer primary key, Наименование varchar(50))"),
                                      QStringLiteral("create table Справочник_покрытий (Код integer primary key, Описание varchar(50))"),
                                      QStringLiteral("create table СправочникДорог (Код integer primary key, Описание varchar(50))"),
                                      QStringLiteral("create table Справочник_типов_знаков (Код integer primary key, Номер_по_ГОСТу varchar(9))"),
                                      QStringLiteral("create table Справка (Код integer primary key)")});
    Source.ConnectionString = SqliteConnectionString(SourcePath);
    Source.Open();
    AddImportTable(Plan, QStringLiteral("Регион"), QStringLiteral("1"));
    BuildDictionaryKeys(Plan, Source);
    EXPECT_EQ(Plan.MatchTableList.Count(), 1 + 15 + 2);
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("Регион")), QStringLiteral("GUID"));
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("СправочникДорог")), QStringLiteral("Описание"));
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("Справочник_типов_знаков")), QStringLiteral("Номер_по_ГОСТу"));
    EXPECT_EQ(MatchColumnsOf(Plan, QStringLiteral("Справка")), QStringLiteral("<none>"));
}

TEST(DictionaryKeys, SqlServerDictionaryQueryIsSentAsWritten) {
    TRecordingConnection connection;
    connection.Open();
    connection.Responder = [](const QString&, const QVector<TBoundParam>&, bool) {
        return MakeRowSet({QStringLiteral("name")}, {{QStringLiteral("Справочник_покрытий")}, {QStringLiteral("Регион")}});
    };
    TImportPlan plan;
    AddImportTable(plan, QStringLiteral("Титул"), QStringLiteral("1"));
    BuildDictionaryKeys(plan, connection);
    ASSERT_EQ(connection.Statements.size(), 1);
    EXPECT_EQ(connection.Statements[0],
              QStringLiteral("select distinct Obj.name from sysobjects as Obj where OBJECTPROPERTY(Obj.id, "
                             "N'IsUserTable') = 1 and Obj.name Like 'Справочник_%' "));
    // "Регион" is listed already (fixed pair): only the new name is appended.
    ASSERT_EQ(plan.MatchTableList.Count(), 1 + 15 + 1);
    EXPECT_EQ(plan.MatchTableList[16], QStringLiteral("Справочник_покрытий"));
    EXPECT_EQ(plan.MatchColumnList[16], QStringLiteral("Описание"));
}
