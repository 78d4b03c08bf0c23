// The walk from the ticked titles down the foreign keys: order, marks, selections, and
// what the selections select when the server runs them.

#include "TitleTestSupport.h"

#include "common/RecordingConnection.h"
#include "copier/Callbacks.h"
#include "db/DbError.h"
#include "titles/TitleClosure.h"
#include "titles/TitlePreparation.h"

#include <QMap>

namespace {

const QString objectSelection = QStringLiteral(
    "select T1.Код_объекта from Дорожный_объект as T1 inner join Титул as T2 on T1.Код_титула=T2.Код_титула "
    "where T2.Код_титула in (3, 1)");
const QString eventSelection = QStringLiteral(
    "select T1.Код_события from Событие as T1 inner join Титул as T2 on T1.Код_титула=T2.Код_титула "
    "where T2.Код_титула in (3, 1)");

QStringList Keys(TADOConnection& connection, const QString& statement) {
    QStringList keys = Rows(connection, statement);
    std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return keys;
}

}  // namespace

TEST_F(TitlesTest, ClosureOfSampleTitlesListsTablesDepthFirstWithTheirSelections) {
    MakeDatabases(4, 3);
    TickTitles({3, 1});
    std::swap(FrontEnd.Items[0], FrontEnd.Items[2]);  // item order decides the key order
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);

    const QStringList expected = {
        QStringLiteral("Титул"), QStringLiteral("Building"), QStringLiteral("ДТП"), QStringLiteral("Транспортное_средство"),
        QStringLiteral("Участники_ДТП"), QStringLiteral("Расчетные_объекты"), QStringLiteral("Дорожный_объект"),
        QStringLiteral("Знак"), QStringLiteral("Измерение"), QStringLiteral("Журнал_изменений_титула"),
        QStringLiteral("Межузловой_участок"), QStringLiteral("Событие"), QStringLiteral("Дефект"),
        QStringLiteral("Фото_дефекта"), QStringLiteral("Ремонт"), QStringLiteral("Акт_приемки")};
    ASSERT_EQ(Plan.ImportTableList.Strings(), expected);
    ASSERT_EQ(Plan.RowSelectionList.Count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const bool excluded = (i >= 1 && i <= 5) || expected[i] == QStringLiteral("Журнал_изменений_титула");
        EXPECT_EQ(Plan.ImportTableList.Mark(i), excluded ? 2 : 0) << expected[i].toStdString();
        if (excluded) {
            EXPECT_TRUE(Plan.RowSelectionList[i].isEmpty()) << expected[i].toStdString();
        }
    }
    EXPECT_EQ(Plan.RowSelectionList[0], QStringLiteral("3, 1"));
    EXPECT_EQ(Plan.RowSelectionList[6], objectSelection);
    // Two levels down: the parent's whole selection inside the parentheses.
    EXPECT_EQ(Plan.RowSelectionList[7],
              QStringLiteral("select T1.Код_знака from Знак as T1 inner join Дорожный_объект as T2 on "
                             "T1.Код_объекта=T2.Код_объекта where T2.Код_объекта in (") +
                  objectSelection + QStringLiteral(")"));
    // Измерение refers to two listed tables and takes its rows through the first reached.
    EXPECT_TRUE(Plan.RowSelectionList[8].contains(QStringLiteral("inner join Дорожный_объект as T2")));
    EXPECT_EQ(Plan.RowSelectionList[11], eventSelection);
    const QString defects = QStringLiteral(
                                "select T1.Код_дефекта from Дефект as T1 inner join Событие as T2 on "
                                "T1.Код_события_обнаружения=T2.Код_события where T2.Код_события in (") +
                            eventSelection + QStringLiteral(") ");
    EXPECT_EQ(Plan.RowSelectionList[12], defects);
    // Three levels down.
    EXPECT_EQ(Plan.RowSelectionList[13],
              QStringLiteral("select T1.Код_фото from Фото_дефекта as T1 inner join Дефект as T2 on "
                             "T1.Код_дефекта=T2.Код_дефекта where T2.Код_дефекта in (") +
                  defects + QStringLiteral(")"));
    // The table without a primary key is named in the log memo, with the reason.
    EXPECT_TRUE(MemoLines.contains(
        QStringLiteral("Таблица Журнал_изменений_титула не будет импортирована: у нее нет первичного ключа")));
    DropImportSchemaChanges(Plan, Source, Dest);
}

TEST_F(TitlesTest, SelectionsYieldExactlyTheRowsOfTheChosenTitles) {
    MakeDatabases(4, 4);
    TickTitles({2, 4});
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);

    // Each table's rows of titles 2 and 4, found by joining down from the title directly.
    const QString titles = QStringLiteral(" in (2, 4)");
    const QMap<QString, QString> expected = {
        {QStringLiteral("Титул"), QStringLiteral("select Код_титула from Титул where Код_титула") + titles},
        {QStringLiteral("Дорожный_объект"), QStringLiteral("select Код_объекта from Дорожный_объект where Код_титула") + titles},
        {QStringLiteral("Знак"), QStringLiteral("select s.Код_знака from Знак s join Дорожный_объект o on "
                                                "o.Код_объекта = s.Код_объекта where o.Код_титула") + titles},
        {QStringLiteral("Измерение"), QStringLiteral("select m.Код_измерения from Измерение m join Дорожный_объект o on "
                                                     "o.Код_объекта = m.Код_объекта where o.Код_титула") + titles},
        {QStringLiteral("Межузловой_участок"),
         QStringLiteral("select Код_участка from Межузловой_участок where Код_титула") + titles},
        {QStringLiteral("Событие"), QStringLiteral("select Код_события from Событие where Код_титула") + titles},
        {QStringLiteral("Дефект"), QStringLiteral("select d.Код_дефекта from Дефект d join Событие e on "
                                                  "e.Код_события = d.Код_события_обнаружения where e.Код_титула") + titles},
        {QStringLiteral("Фото_дефекта"),
         QStringLiteral("select f.Код_фото from Фото_дефекта f join Дефект d on d.Код_дефекта = f.Код_дефекта join "
                        "Событие e on e.Код_события = d.Код_события_обнаружения where e.Код_титула") + titles},
        {QStringLiteral("Ремонт"), QStringLiteral("select r.Код_ремонта from Ремонт r join Событие e on "
                                                  "e.Код_события = r.Код_события where e.Код_титула") + titles},
        {QStringLiteral("Акт_приемки"),
         QStringLiteral("select a.Код_акта from Акт_приемки a join Ремонт r on r.Код_ремонта = a.Код_ремонта join "
                        "Событие e on e.Код_события = r.Код_события where e.Код_титула") + titles},
    };
    int copied = 0;
    for (int i = 0; i < Plan.ImportTableList.Count(); ++i) {
        if (Plan.ImportTableList.Mark(i) != 0) continue;
        ++copied;
        const QString& table = Plan.ImportTableList[i];
        ASSERT_TRUE(expected.contains(table)) << table.toStdString();
        const QString key = Rows(Source, QStringLiteral("select name from pragma_table_info('") + table +
                                             QStringLiteral("') where pk = 1"))
                                .value(0);
        const QStringList selected = Keys(Source, QStringLiteral("select ") + key + QStringLiteral(" from ") + table +
                                                      QStringLiteral(" where ") + key + QStringLiteral(" in (") +
                                                      Plan.RowSelectionList[i] + QStringLiteral(")"));
        EXPECT_FALSE(selected.isEmpty()) << table.toStdString();
        EXPECT_EQ(selected, Keys(Source, expected[table])) << table.toStdString();
    }
    EXPECT_EQ(copied, expected.size());
    DropImportSchemaChanges(Plan, Source, Dest);
}

TEST(TitleClosure, AddingListsEachNameOnceWithItsMark) {
    TImportPlan plan;
    AddImportTable(plan, QStringLiteral("Титул"), QStringLiteral("1"));
    AddImportTable(plan, QStringLiteral("титул"), QStringLiteral("2"));  // case ignored
    AddExcludedTable(plan, QStringLiteral("ТИТУЛ"));
    AddExcludedTable(plan, QStringLiteral("ДТП"));
    AddImportTable(plan, QStringLiteral("дтп"), QStringLiteral("select 1"));
    ASSERT_EQ(plan.ImportTableList.Strings(), (QStringList{QStringLiteral("Титул"), QStringLiteral("ДТП")}));
    EXPECT_EQ(plan.ImportTableList.Mark(0), 0);
    EXPECT_EQ(plan.ImportTableList.Mark(1), 2);
    EXPECT_EQ(plan.RowSelectionList.Strings(), (QStringList{QStringLiteral("1"), QString()}));
}

// A SQL Server catalogue, answered by a recording connection:
//   Титул <- Дефект, Журнал (no key), Объект, Связь (reference not reported)
//   Объект <- Объект (itself), Деталь;  Деталь <- Объект (a cycle)
//   Титул <- a table whose name is a statement, one with a blank, one with a quoted column
class SqlServerWalk : public ::testing::Test {
protected:
    void SetUp() override {
        Catalogue[QStringLiteral("Титул")] = {QStringLiteral("Дефект"), QStringLiteral("Журнал"), QStringLiteral("Объект"),
                                              QStringLiteral("Связь"), CraftedTable, QStringLiteral("Доп участок"),
                                              QStringLiteral("Замечание")};
        Catalogue[QStringLiteral("Объект")] = {QStringLiteral("Деталь"), QStringLiteral("Объект")};
        Catalogue[QStringLiteral("Деталь")] = {QStringLiteral("Объект")};
        Connection.Open();
        Connection.Responder = [this](const QString& sql, const QVector<TBoundParam>&, bool) { return Answer(sql); };
    }

    TRowSet Answer(const QString& sql) {
        const QString prefix = QStringLiteral(
            "select distinct Obj.name, Obj2.name as Name1 from sysobjects as Obj inner join sysreferences as ref on "
            "ref.fkeyid=Obj.id inner join sysobjects as Obj2 on Obj2.id=ref.rkeyid where OBJECTPROPERTY(Obj.id, "
            "N'IsUserTable') = 1 and Obj2.name='");
        if (sql.startsWith(prefix)) {
            const QString parent = sql.mid(prefix.size()).section(QLatin1Char('\''), 0, 0);
            QVector<QVector<QVariant>> rows;
            for (const QString& child : Catalogue.value(parent)) rows.append({child, parent});
            return MakeRowSet({QStringLiteral("name"), QStringLiteral("Name1")}, rows);
        }
        if (sql.startsWith(QStringLiteral("sp_pkeys @Table_Name='"))) {
            const QString table = sql.section(QLatin1Char('\''), 1, 1);
            if (table == QStringLiteral("Журнал")) return MakeRowSet({QStringLiteral("COLUMN_NAME")}, {});
            return MakeRowSet({QStringLiteral("COLUMN_NAME")}, {{QStringLiteral("Код_") + table}});
        }
        if (sql.startsWith(QStringLiteral("select Obj1.Name from syscolumns"))) {
            const QString table = sql.section(QLatin1Char('\''), 3, 3);
            QVector<QVector<QVariant>> rows{{QStringLiteral("Код_") + table}};
            if (table == QStringLiteral("Замечание")) rows.append({QStringLiteral("Прим'ечание")});
            return MakeRowSet({QStringLiteral("Name")}, rows);
        }
        if (sql.startsWith(QStringLiteral("sp_fkeys  @fktable_name='"))) {
            const QString table = sql.section(QLatin1Char('\''), 1, 1);
            QVector<QVector<QVariant>> rows;
            if (table == QStringLiteral("Объект"))
                rows = {{QStringLiteral("Код_вида"), QStringLiteral("Вид")},
                        {QStringLiteral("Код_титула_старый"), QStringLiteral("Титул")},
                        {QStringLiteral("Код_титула"), QStringLiteral("Титул")},
                        {QStringLiteral("Код_родителя"), QStringLiteral("Объект")}};
            else if (table == QStringLiteral("Деталь"))
                rows = {{QStringLiteral("Код_объекта"), QStringLiteral("Объект")}};
            else if (table == QStringLiteral("Связь"))
                rows = {{QStringLiteral("Код_титула"), QStringLiteral("титул")}};  // other spelling: no match
            return MakeRowSet({QStringLiteral("FKCOLUMN_NAME"), QStringLiteral("PKTABLE_NAME")}, rows);
        }
        throw EDatabaseError(QStringLiteral("unexpected statement: ") + sql);
    }

    const QString CraftedTable = QStringLiteral("Участок where 0; delete from Регион; --");
    QMap<QString, QStringList> Catalogue;
    TRecordingConnection Connection;
};

TEST_F(SqlServerWalk, SendsTheCatalogueStatementsAndHandlesSelfReferenceCycleAndUnusableTables) {
    QStringList memo;
    OnLogLine = [&memo](const QString& line) { memo << line; };
    TImportPlan plan;
    AddImportTable(plan, QStringLiteral("Титул"), QStringLiteral("7, 12, 31"));
    CollectDependents(plan, 0, Connection);
    OnLogLine = nullptr;

    EXPECT_EQ(Connection.Statements.value(0),
              QStringLiteral("select distinct Obj.name, Obj2.name as Name1 from sysobjects as Obj inner join sysreferences "
                             "as ref on ref.fkeyid=Obj.id inner join sysobjects as Obj2 on Obj2.id=ref.rkeyid where "
                             "OBJECTPROPERTY(Obj.id, N'IsUserTable') = 1 and Obj2.name='Титул' order by Obj.name"));
    ASSERT_EQ(plan.ImportTableList.Strings(),
              (QStringList{QStringLiteral("Титул"), QStringLiteral("Дефект"), QStringLiteral("Журнал"),
                           QStringLiteral("Объект"), QStringLiteral("Деталь"), QStringLiteral("Связь"), CraftedTable,
                           QStringLiteral("Доп участок"), QStringLiteral("Замечание")}));
    for (int i = 6; i < 9; ++i) EXPECT_EQ(plan.ImportTableList.Mark(i), 2) << i;
    // Names that cannot be written unquoted never reach a statement; the table with the
    // quoted column is named only in the question for its columns.
    const QString sent = Connection.Statements.join(QLatin1Char('\n'));
    EXPECT_FALSE(sent.contains(QStringLiteral("delete"))) << sent.toStdString();
    EXPECT_FALSE(sent.contains(QStringLiteral("Доп участок")));
    EXPECT_FALSE(sent.contains(QStringLiteral("Прим'ечание")));
    EXPECT_EQ(Connection.Statements.filter(QStringLiteral("Замечание")).size(), 1);
    EXPECT_EQ(plan.ImportTableList.Mark(2), 2);
    EXPECT_EQ(plan.ImportTableList.Mark(5), 2);
    EXPECT_EQ(plan.RowSelectionList[2], QString());
    EXPECT_EQ(plan.RowSelectionList[1],
              QStringLiteral("select T1.Код_дефекта from Дефект as T1 inner join Событие as T2 on "
                             "T1.Код_события_обнаружения=T2.Код_события where T2.Код_события in (7, 12, 31) "));
    // The last reported column to the parent wins.
    const QString objects = QStringLiteral(
        "select T1.Код_Объект from Объект as T1 inner join Титул as T2 on T1.Код_титула=T2.Код_Титул where "
        "T2.Код_Титул in (7, 12, 31)");
    EXPECT_EQ(plan.RowSelectionList[3], objects);
    EXPECT_EQ(plan.RowSelectionList[4],
              QStringLiteral("select T1.Код_Деталь from Деталь as T1 inner join Объект as T2 on "
                             "T1.Код_объекта=T2.Код_Объект where T2.Код_Объект in (") +
                  objects + QStringLiteral(")"));
    // The key lookups of one dependent: its key, the parent's key, then its references.
    const int at = static_cast<int>(Connection.Statements.indexOf(QStringLiteral("sp_pkeys @Table_Name='Объект'")));
    ASSERT_GE(at, 0);
    EXPECT_EQ(Connection.Statements.value(at + 1), QStringLiteral("sp_pkeys @Table_Name='Титул'"));
    EXPECT_EQ(Connection.Statements.value(at + 2), QStringLiteral("sp_fkeys  @fktable_name='Объект'"));
    // Tables listed as not copied are never walked into.
    EXPECT_FALSE(Connection.Statements.join(QLatin1Char('\n')).contains(QStringLiteral("Obj2.name='Журнал' order by")));
    EXPECT_FALSE(Connection.Statements.join(QLatin1Char('\n')).contains(QStringLiteral("Obj2.name='Связь' order by")));
    EXPECT_EQ(memo, (QStringList{
                        QStringLiteral("Таблица Журнал не будет импортирована: у нее нет первичного ключа"),
                        QStringLiteral("Таблица Связь не будет импортирована: не найден столбец, которым она "
                                       "ссылается на таблицу Титул"),
                        QStringLiteral("Таблица ") + CraftedTable +
                            QStringLiteral(" не будет импортирована: ее имя нельзя записать в запрос без кавычек"),
                        QStringLiteral("Таблица Доп участок не будет импортирована: ее имя нельзя записать в запрос "
                                       "без кавычек"),
                        QStringLiteral("Таблица Замечание не будет импортирована: имя ее столбца \"Прим'ечание\" "
                                       "нельзя записать в запрос без кавычек")}));
}

TEST_F(SqlServerWalk, FindReferenceColumnTakesTheLastMatchingRowOrNothing) {
    EXPECT_EQ(FindReferenceColumn(QStringLiteral("Объект"), QStringLiteral("Титул"), Connection),
              QStringLiteral("Код_титула"));
    EXPECT_EQ(FindReferenceColumn(QStringLiteral("Объект"), QStringLiteral("Регион"), Connection), QString());
    EXPECT_EQ(FindReferenceColumn(QStringLiteral("Связь"), QStringLiteral("Титул"), Connection), QString());
}

TEST_F(SqlServerWalk, CatalogueErrorsReachTheCaller) {
    Connection.Responder = [](const QString&, const QVector<TBoundParam>&, bool) -> TRowSet {
        throw EDatabaseError(QStringLiteral("связь с сервером потеряна"));
    };
    TImportPlan plan;
    AddImportTable(plan, QStringLiteral("Титул"), QStringLiteral("1"));
    EXPECT_THROW(CollectDependents(plan, 0, Connection), EDatabaseError);
}
