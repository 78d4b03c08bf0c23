// Refusing titles whose names the destination holds, the empty selection, and the title
// list that the preparation reads.

#include "TitleTestSupport.h"

#include "common/RecordingConnection.h"
#include "db/ADOQuery.h"
#include "support/EAbort.h"
#include "titles/DuplicateTitles.h"
#include "titles/TitlePreparation.h"

namespace {

const QString sentence =
    QStringLiteral("невозможно импортировать, т.к. в целевой базе данных существуют титулы с такими же именами.");
const QChar cr(13);

}  // namespace

class DuplicateTitles : public TitlesTest {
protected:
    void SetUp() override {
        TitlesTest::SetUp();
        MakeDatabases(3, 1, false);
        TickTitles({1, 2, 3});
        for (int i = 0; i < 3; ++i) Names << FrontEnd.ItemSubItem(i);
    }
    void AddDestTitle(const QString& name) {
        TADOQuery query(&Dest);
        query.SetSQL(QStringLiteral("insert into Титул (Наименование) values (:Name)"));
        query.ParamByName(QStringLiteral("Name")).Value = name;
        query.ExecSQL();
    }
    QList<bool> Ticks() const {
        QList<bool> ticks;
        for (const auto& item : FrontEnd.Items) ticks << item.Checked;
        return ticks;
    }
    QStringList Names;
};

TEST_F(DuplicateTitles, NoneHeldMeansNoBoxAndNoUntick) {
    AddDestTitle(QStringLiteral("Совсем другая дорога"));
    EXPECT_EQ(FindDuplicateTitles(FrontEnd, Source, Dest, QStringLiteral("1, 2, 3")), QString());
    EXPECT_EQ(Ticks(), (QList<bool>{true, true, true}));
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);
    EXPECT_TRUE(FrontEnd.Messages.isEmpty());
    DropImportSchemaChanges(Plan, Source, Dest);
}

TEST_F(DuplicateTitles, TwoHeldAreShownOnLinesOfTheirOwnAndCancelStopsBeforeAnyChange) {
    AddDestTitle(Names[0]);
    AddDestTitle(Names[2]);
    FrontEnd.Answers = {mrCancel};
    EXPECT_THROW(PrepareTitleImport(Plan, FrontEnd, Source, Dest), EAbort);
    ASSERT_EQ(FrontEnd.Messages.size(), 1);
    EXPECT_EQ(FrontEnd.Messages[0].Text,
              QStringLiteral("Титулы: ") + cr + Names[0] + QStringLiteral(", ") + cr + Names[2] + cr + sentence);
    EXPECT_EQ(FrontEnd.Messages[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(FrontEnd.Messages[0].Buttons, TMsgDlgBtn::mbCancel | TMsgDlgBtn::mbIgnore);
    EXPECT_EQ(FrontEnd.TitlePageShown, 1);
    EXPECT_EQ(Ticks(), (QList<bool>{false, true, false}));
    EXPECT_EQ(Plan.ImportTableList.Count(), 0);
    EXPECT_FALSE(HasColumn(Source, QStringLiteral("Титул"), QStringLiteral("GUID")));
    EXPECT_FALSE(HasColumn(Dest, QStringLiteral("Титул"), QStringLiteral("GUID")));
}

TEST_F(DuplicateTitles, IgnorePreparesTheRemainingTitles) {
    AddDestTitle(Names[1]);
    FrontEnd.Answers = {mrIgnore};
    PrepareTitleImport(Plan, FrontEnd, Source, Dest);
    EXPECT_EQ(FrontEnd.Messages.size(), 1);
    EXPECT_EQ(Plan.RowSelectionList.Strings().value(0), QStringLiteral("1, 3"));
    EXPECT_EQ(FrontEnd.TitlePageShown, 0);
    DropImportSchemaChanges(Plan, Source, Dest);
}

TEST_F(DuplicateTitles, NameHeldTwiceIsReportedTwice) {
    AddDestTitle(Names[1]);
    AddDestTitle(Names[1]);
    EXPECT_EQ(FindDuplicateTitles(FrontEnd, Source, Dest, QStringLiteral("1, 2, 3")),
              Names[1] + QStringLiteral(", ") + cr + Names[1]);
    EXPECT_EQ(Ticks(), (QList<bool>{true, false, true}));
}

TEST_F(DuplicateTitles, AllHeldAndIgnoredEndsWithNoTitleChosen) {
    for (const QString& name : Names) AddDestTitle(name);
    FrontEnd.Answers = {mrIgnore};
    EXPECT_THROW(PrepareTitleImport(Plan, FrontEnd, Source, Dest), EAbort);
    ASSERT_EQ(FrontEnd.Messages.size(), 2);
    EXPECT_EQ(FrontEnd.Messages[1].Text, QStringLiteral("Ни один титул не выбран."));
    EXPECT_EQ(FrontEnd.Messages[1].Type, TMsgDlgType::mtError);
    EXPECT_EQ(FrontEnd.Messages[1].Buttons, TMsgDlgButtons(TMsgDlgBtn::mbOK));
    EXPECT_EQ(FrontEnd.TitlePageShown, 1);
    EXPECT_EQ(Ticks(), (QList<bool>{false, false, false}));
}

TEST_F(DuplicateTitles, TwoTickedItemsOfOneNameAreUntickedOneAtATime) {
    Execute(Source, QStringLiteral("update Титул set Наименование = (select Наименование from Титул where Код_титула = 1) "
                                   "where Код_титула = 2"));
    TickTitles({1, 2});
    AddDestTitle(Names[0]);
    // The later item is unticked; every repeated run finds the earlier one and asks again.
    FrontEnd.Answers = {mrIgnore, mrIgnore, mrCancel};
    EXPECT_THROW(PrepareTitleImport(Plan, FrontEnd, Source, Dest), EAbort);
    EXPECT_EQ(FrontEnd.Messages.size(), 3);
    EXPECT_EQ(Ticks(), (QList<bool>{true, false, false}));
}

TEST_F(DuplicateTitles, NamesWithApostrophesAreComparedNotExecuted) {
    const QString apostrophe = QStringLiteral("Подъезд к д. Д'Артаньяновка");
    const QString crafted = QStringLiteral("x') or 1=1 --");
    Execute(Source, QStringLiteral("update Титул set Наименование = 'Подъезд к д. Д''Артаньяновка' where Код_титула = 1"));
    Execute(Source, QStringLiteral("update Титул set Наименование = 'x'') or 1=1 --' where Код_титула = 2"));
    TickTitles({1, 2, 3});
    AddDestTitle(apostrophe);
    AddDestTitle(QStringLiteral("Другое"));
    EXPECT_EQ(FindDuplicateTitles(FrontEnd, Source, Dest, QStringLiteral("1, 2, 3")), apostrophe);
    EXPECT_EQ(Ticks(), (QList<bool>{false, true, true}));
}

TEST_F(DuplicateTitles, CaseOnlyDifferenceIsReportedButUnticksNothing) {
    DestPath = Dir.Path(QStringLiteral("ci.db"));
    Dest.Close();
    CreateSqliteDatabase(DestPath, {QStringLiteral("create table Титул (Код_титула integer primary key, "
                                                   "Наименование varchar(255) collate UNICODE_CI)")});
    Dest.ConnectionString = SqliteConnectionString(DestPath);
    Dest.Open();
    AddDestTitle(Names[1].toUpper());
    FrontEnd.Answers = {mrIgnore, mrIgnore, mrCancel};
    EXPECT_THROW(PrepareTitleImport(Plan, FrontEnd, Source, Dest), EAbort);
    ASSERT_EQ(FrontEnd.Messages.size(), 3);
    EXPECT_TRUE(FrontEnd.Messages[2].Text.contains(Names[1].toUpper()));
    EXPECT_EQ(Ticks(), (QList<bool>{true, true, true}));
}

TEST(TitleSelection, NothingTickedTouchesNoDatabase) {
    TRecordingConnection source, dest;
    source.Open();
    dest.Open();
    TScriptedFrontEnd frontEnd;
    frontEnd.AddTitle(QStringLiteral("1"), QStringLiteral("А"), false);
    TImportPlan plan;
    plan.ImportTableList.Add(QStringLiteral("от прошлого раза"));
    plan.RowSelectionList.Add(QStringLiteral("1"));
    EXPECT_THROW(PrepareTitleImport(plan, frontEnd, source, dest), EAbort);
    ASSERT_EQ(frontEnd.Messages.size(), 1);
    EXPECT_EQ(frontEnd.Messages[0].Text, QStringLiteral("Ни один титул не выбран."));
    EXPECT_EQ(frontEnd.TitlePageShown, 1);
    EXPECT_TRUE(source.Statements.isEmpty());
    EXPECT_TRUE(dest.Statements.isEmpty());
    EXPECT_EQ(plan.ImportTableList.Count(), 0);
    EXPECT_EQ(plan.RowSelectionList.Count(), 0);
}

TEST(TitleSelection, KeysFollowItemOrderAndTheDuplicateQueriesAreSentAsWritten) {
    TRecordingConnection source, dest;
    source.Open();
    dest.Open();
    source.Responder = [](const QString& sql, const QVector<TBoundParam>&, bool) {
        if (sql.startsWith(QStringLiteral("select Наименование")))
            return MakeRowSet({QStringLiteral("Наименование")}, {{QStringLiteral("А")}, {QStringLiteral("Б")}});
        return TRowSet();
    };
    TScriptedFrontEnd frontEnd;
    frontEnd.AddTitle(QStringLiteral("7"), QStringLiteral("А"));
    frontEnd.AddTitle(QStringLiteral("9"), QStringLiteral("В"), false);
    frontEnd.AddTitle(QStringLiteral("12"), QStringLiteral("Б"));
    frontEnd.AddTitle(QStringLiteral("31"), QStringLiteral("Г"));
    TImportPlan plan;
    PrepareTitleImport(plan, frontEnd, source, dest);
    EXPECT_EQ(plan.RowSelectionList.Strings().value(0), QStringLiteral("7, 12, 31"));
    EXPECT_EQ(source.Statements.value(0), QStringLiteral("select Наименование from Титул where Код_титула in(7, 12, 31)"));
    EXPECT_EQ(dest.Statements.value(0), QStringLiteral("select Наименование from Титул where Наименование in('А', 'Б' )"));
}

TEST(TitleSelection, KeysNoLongerInTheSourceSkipTheDestinationQuery) {
    TRecordingConnection source, dest;
    source.Open();
    dest.Open();
    TScriptedFrontEnd frontEnd;
    frontEnd.AddTitle(QStringLiteral("99"), QStringLiteral("Удален"));
    EXPECT_EQ(FindDuplicateTitles(frontEnd, source, dest, QStringLiteral("99")), QString());
    EXPECT_EQ(source.Statements.size(), 1);
    EXPECT_TRUE(dest.Statements.isEmpty());
    EXPECT_TRUE(frontEnd.ItemChecked(0));
}

TEST(TitleSelection, FindTitleItemReturnsTheLastExactMatch) {
    TScriptedFrontEnd frontEnd;
    frontEnd.AddTitle(QStringLiteral("1"), QStringLiteral("Дорога"));
    frontEnd.AddTitle(QStringLiteral("2"), QStringLiteral("дорога"));
    frontEnd.AddTitle(QStringLiteral("3"), QStringLiteral("Дорога"));
    EXPECT_EQ(FindTitleItem(frontEnd, QStringLiteral("Дорога")), 2);
    EXPECT_EQ(FindTitleItem(frontEnd, QStringLiteral("дорога")), 1);
    EXPECT_EQ(FindTitleItem(frontEnd, QStringLiteral("Дорога ")), -1);
}

TEST(TitleSelection, CaptionsThatAreNotKeysAreRefused) {
    TRecordingConnection source, dest;
    source.Open();
    dest.Open();
    TScriptedFrontEnd frontEnd;
    frontEnd.AddTitle(QStringLiteral("1) or (1=1"), QStringLiteral("А"));
    TImportPlan plan;
    EXPECT_THROW(PrepareTitleImport(plan, frontEnd, source, dest), Exception);
    EXPECT_TRUE(source.Statements.isEmpty());
}

TEST_F(TitlesTest, TitleListIsFilledFromTheSourceAndAMissingTableIsReported) {
    MakeDatabases(3, 1, false);
    TADOQuery query(&Source);
    FillListFromTable(QStringLiteral("Титул"), FrontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), query);
    ASSERT_EQ(FrontEnd.ItemCount(), 3);
    EXPECT_EQ(FrontEnd.ItemCaption(1), QStringLiteral("2"));
    EXPECT_EQ(FrontEnd.ItemSubItem(1),
              Rows(Source, QStringLiteral("select Наименование from Титул where Код_титула = 2")).value(0));
    EXPECT_TRUE(FrontEnd.CheckedCaptions().isEmpty());
    EXPECT_EQ(FrontEnd.UpdateDepth, 0);
    EXPECT_FALSE(query.Active());

    Execute(Source, QStringLiteral("update Титул set Наименование = 'True' where Код_титула = 3"));
    FillListFromTable(QStringLiteral("Титул"), FrontEnd, QStringLiteral("Код_титула, Наименование"), true,
                      QStringLiteral(" where Код_титула > 1"), QStringLiteral(" order by Код_титула desc"), query);
    ASSERT_EQ(FrontEnd.ItemCount(), 2);
    EXPECT_EQ(FrontEnd.ItemSubItem(0), QStringLiteral("Да"));

    FillListFromTable(QStringLiteral("Титулы"), FrontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), query);
    EXPECT_EQ(FrontEnd.ItemCount(), 0);
    ASSERT_EQ(FrontEnd.Messages.size(), 1);
    EXPECT_EQ(FrontEnd.Messages[0].Text,
              QStringLiteral("Таблица Титулы не найдена. Возможная причина - несоответствие версии базы данных"));
    EXPECT_EQ(FrontEnd.Messages[0].Buttons, TMsgDlgButtons(TMsgDlgBtn::mbOK));
    EXPECT_EQ(FrontEnd.UpdateDepth, 0);
}

TEST(TitleList, StatementCarriesDistinctAndTheClausesUnchanged) {
    TRecordingConnection source;
    source.Open();
    TADOQuery query(&source);
    TScriptedFrontEnd frontEnd;
    FillListFromTable(QStringLiteral("Титул"), frontEnd, QStringLiteral("Код_титула, Наименование"), true,
                      QStringLiteral(" where 1=1"), QStringLiteral(" order by 2"), query);
    EXPECT_EQ(source.Statements.value(0),
              QStringLiteral("select  distinct Код_титула, Наименование from Титул where 1=1 order by 2"));
}
