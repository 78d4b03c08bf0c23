// The run of "Начать" as a front end sees it: the order of its steps, the outcome lines of
// the memo, and how often the finishing step runs.

#include "RunFrontEnd.h"
#include "TitleTestSupport.h"

#include "copier/Callbacks.h"
#include "db/ADOQuery.h"
#include "support/EAbort.h"
#include "titles/ImportRun.h"
#include "titles/TitlePreparation.h"

TEST(ImportRun, TableStartCaptionNamesTheTableItsRowsAndItsPlace) {
    EXPECT_EQ(TableStartCaption(QStringLiteral("Титул"), 12, 40, 1), QStringLiteral("Импорт таблицы: Титул - 12 записей (1 из 40)"));
    EXPECT_EQ(TableStartCaption(QStringLiteral("Создаем GUID-ы"), 16, -1, 0), QStringLiteral("Создаем GUID-ы"));
}

// Declined: "Ошибка импорта" and the finishing step twice; committed: the two success lines
// and the finishing step once; nothing ticked: refused before any database is touched.
TEST_F(TitlesTest, RunKeepsTheOrderOfTheWizardAndFinishesOnceOrTwice) {
    MakeDatabases(3, 1);
    TRecordingFrontEnd run;
    SetQuestionAsker(&run);
    TADOQuery list(&Source);
    FillListFromTable(QStringLiteral("Титул"), run, QStringLiteral("Код_титула, Наименование"), false, QString(), QString(), list);
    ASSERT_EQ(run.ItemCount(), 3);
    const QString save = QStringLiteral("ask Импорт прошел успешно, сохранить?");
    const QStringList start = {QStringLiteral("clear memo"), QStringLiteral("log page"), QStringLiteral("Создаем GUID-ы"),
                               QStringLiteral("Создаем GUID-ы")};

    run.SetItemChecked(0, true);
    run.SaveAnswer = mrNo;
    EXPECT_LT(RunTitleImport(run, Plan, Source, Dest), 0);
    EXPECT_EQ(run.Events, start + QStringList({QStringLiteral("finish"), save, QStringLiteral("finish")}));
    EXPECT_EQ(run.Memo.last(), QStringLiteral("Ошибка импорта"));
    EXPECT_FALSE(HasColumn(Dest, QStringLiteral("Титул"), QStringLiteral("GUID")));

    run.Events.clear();
    run.SaveAnswer = mrYes;
    const int tables = RunTitleImport(run, Plan, Source, Dest);
    ASSERT_GT(tables, 0);
    EXPECT_EQ(run.Events, start + QStringList({QStringLiteral("finish"), save}));
    EXPECT_EQ(run.Memo.mid(run.Memo.size() - 2),
              (QStringList{QStringLiteral("Импорт прошел успешно!"), QStringLiteral("Импортировано ") +
                                                                         QString::number(tables) + QStringLiteral(" таблиц")}));
    EXPECT_FALSE(HasColumn(Source, QStringLiteral("Титул"), QStringLiteral("GUID")));
    EXPECT_FALSE(HasColumn(Dest, QStringLiteral("Титул"), QStringLiteral("GUID")));

    run.Events.clear();
    run.SetItemChecked(0, false);
    EXPECT_THROW(RunTitleImport(run, Plan, Source, Dest), EAbort);
    EXPECT_EQ(run.Events, (QStringList{QStringLiteral("clear memo"), QStringLiteral("log page"),
                                       QStringLiteral("box Ни один титул не выбран."), QStringLiteral("title page")}));
    EXPECT_TRUE(run.Memo.isEmpty());
}
