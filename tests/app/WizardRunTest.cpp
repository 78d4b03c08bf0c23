// Runs started from the window on real SQLite files: committed, declined, stopped by
// "Отмена" or Escape with each answer, refused, the duplicate box, and the window closed
// in the middle of a run.

#include "WizardTestSupport.h"

#include "app/DBConnectFrame.h"

#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

const QString SaveQuestion = QStringLiteral("Импорт прошел успешно, сохранить?");
const QString ContinueQuestion = QStringLiteral("Операция прервана пользователем. Продолжить?");
const QString KeepQuestion = QStringLiteral("Сохранить уже перенесенные данные?");

}  // namespace

class WizardRunTest : public WizardTest {
protected:
    void Answer(const QString& question, int answer) { Dialogs.Answers << qMakePair(question, answer); }
    // Ticks titles by their keys and presses "Начать".
    void Start(const QList<int>& keys) {
        for (int i = 0; i < Form->ItemCount(); ++i)
            Form->SetItemChecked(i, keys.contains(Form->ItemCaption(i).toInt()));
        Press("Button2");
    }
    QStringList DestTitles() { return DestRows(QStringLiteral("select Наименование from Титул order by Наименование")); }
    QStringList SourceTitles(const QString& keys) {
        return SourceRows(QStringLiteral("select Наименование from Титул where Код_титула in (%1) order by Наименование").arg(keys));
    }
    void ExpectFinishedDisplay() {
        EXPECT_EQ(Caption()->title(), QStringLiteral("Импорт завершен"));
        EXPECT_EQ(Progress()->value(), 0);
        EXPECT_EQ(ButtonStates(), QStringLiteral("В начало/on, Закрыть/on, Отмена/on"));
        EXPECT_FALSE(GuidColumnsLeft());
    }
};

TEST_F(WizardRunTest, CommittedRunWritesTheSuccessLinesAndTheTitles) {
    MakeDatabases();
    GoToTitlePage();
    Answer(SaveQuestion, mrYes);
    Start({1, 3});
    EXPECT_EQ(Page(), 3);
    const QStringList memo = MemoLines();
    ASSERT_GE(memo.size(), 3);
    EXPECT_TRUE(memo.contains(QStringLiteral("Импорт таблицы Титул - 2 записей"))) << memo.join('\n').toStdString();
    EXPECT_EQ(memo.mid(memo.size() - 2),
              (QStringList{QStringLiteral("Импорт прошел успешно!"), memo.last()}));
    EXPECT_TRUE(memo.last().startsWith(QStringLiteral("Импортировано ")) && memo.last().endsWith(QStringLiteral(" таблиц")));
    EXPECT_EQ(Dialogs.Shown, QStringList{QStringLiteral("ask: ") + SaveQuestion});
    ExpectFinishedDisplay();
    EXPECT_EQ(DestTitles(), SourceTitles(QStringLiteral("1, 3")));
    EXPECT_EQ(DestRows(QStringLiteral("select count(*) from Межузловой_участок")),
              SourceRows(QStringLiteral("select count(*) from Межузловой_участок where Код_титула in (1, 3)")));
    EXPECT_TRUE(Dialogs.Errors().isEmpty());

    // "Отмена" after the run has no effect on the next one.
    Press("Button1");
    Press("Button3");
    Dialogs.Shown.clear();
    Start({2});
    EXPECT_EQ(Dialogs.Shown, QStringList{QStringLiteral("ask: ") + SaveQuestion});
    EXPECT_EQ(DestTitles(), SourceTitles(QStringLiteral("1, 2, 3")));
}

TEST_F(WizardRunTest, DeclinedSaveRollsBack) {
    MakeDatabases();
    GoToTitlePage();
    Answer(SaveQuestion, mrNo);
    Start({2});
    EXPECT_EQ(MemoLines().last(), QStringLiteral("Ошибка импорта"));
    ExpectFinishedDisplay();
    EXPECT_TRUE(DestTitles().isEmpty());
}

// "Отмена" pressed during a table: continuing copies everything; stopping keeps or drops
// what was copied, as answered.
TEST_F(WizardRunTest, StopByCancelMidRunWithEachAnswer) {
    struct TCase {
        int Continue;
        int Keep;
        bool TitlesKept;
    };
    const TCase cases[] = {{mrYes, mrNo, true}, {mrNo, mrYes, true}, {mrNo, mrNo, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Continue * 10 + c.Keep);
        MakeDatabases(2, 4);
        Press("Button3");  // back to the source page when repeating
        Press("Button3");
        Press("Button3");
        GoToTitlePage();
        Dialogs.Shown.clear();
        Dialogs.Answers.clear();
        Answer(ContinueQuestion, c.Continue);
        Answer(KeepQuestion, c.Keep);
        Answer(SaveQuestion, mrYes);
        DuringCopy([this] { Press("Button1"); });
        Start({1, 2});
        ASSERT_FALSE(Dialogs.Shown.isEmpty());
        EXPECT_EQ(Dialogs.Shown[0], QStringLiteral("ask: ") + ContinueQuestion);
        // Only a run carried on to the end is saved as a success.
        EXPECT_EQ(MemoLines().last().startsWith(QStringLiteral("Импортировано")), c.Continue == mrYes)
            << MemoLines().last().toStdString();
        ExpectFinishedDisplay();
        EXPECT_EQ(!DestTitles().isEmpty(), c.TitlesKept);
        if (c.Continue == mrYes) {
            EXPECT_EQ(DestTitles(), SourceTitles(QStringLiteral("1, 2")));
        }
    }
}

TEST_F(WizardRunTest, EscapeHeldWhileTheWindowIsActiveStopsTheRun) {
    MakeDatabases(2, 4);
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    GoToTitlePage();
    Answer(ContinueQuestion, mrNo);
    Answer(KeepQuestion, mrNo);
    DuringCopy([this] { QTest::keyPress(Form.get(), Qt::Key_Escape); });
    // The key is let go at the first question, as a user would.
    Dialogs.OnAsk = [this](const QString&) { QTest::keyRelease(Form.get(), Qt::Key_Escape); };
    Start({1});
    EXPECT_EQ(Dialogs.Shown.value(0), QStringLiteral("ask: ") + ContinueQuestion);
    EXPECT_EQ(MemoLines().last(), QStringLiteral("Ошибка импорта"));
    EXPECT_TRUE(DestTitles().isEmpty());
    ExpectFinishedDisplay();
}

TEST_F(WizardRunTest, RunWithNothingTickedIsRefusedOnTheTitlePage) {
    MakeDatabases();
    GoToTitlePage();
    Start({});
    EXPECT_EQ(Dialogs.Shown, QStringList{QStringLiteral("box: Ни один титул не выбран.")});
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(ButtonStates(), QStringLiteral("<< Назад/on, Начать/on, Отмена/on"));
    EXPECT_TRUE(MemoLines().isEmpty());
    EXPECT_TRUE(Dialogs.Errors().isEmpty());
}

// Title 1 is imported first; then titles 1 and 2 meet the duplicate box.
TEST_F(WizardRunTest, DuplicateBoxWithCancelAndWithIgnore) {
    MakeDatabases();
    GoToTitlePage();
    Answer(SaveQuestion, mrYes);
    Start({1});
    ASSERT_EQ(DestTitles().size(), 1);
    Press("Button3");

    Dialogs.Shown.clear();
    Start({1, 2});
    ASSERT_EQ(Dialogs.Shown.size(), 1);
    EXPECT_TRUE(Dialogs.Shown[0].startsWith(QStringLiteral("box: "))) << Dialogs.Shown[0].toStdString();
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(DestTitles().size(), 1);
    EXPECT_FALSE(GuidColumnsLeft());

    Dialogs.Shown.clear();
    Answer(QString(), mrIgnore);  // every box but the save question: Ignore
    Start({1, 2});
    EXPECT_EQ(Page(), 3);
    EXPECT_FALSE(Form->ItemChecked(0));
    EXPECT_TRUE(Form->ItemChecked(1));
    EXPECT_EQ(DestTitles(), SourceTitles(QStringLiteral("1, 2")));
    EXPECT_EQ(MemoLines().value(MemoLines().size() - 2), QStringLiteral("Импорт прошел успешно!"));
}

// The close box during a run stops it at the next abort check, rolls the destination back,
// cleans both databases, and only then closes the window.
TEST_F(WizardRunTest, ClosingTheWindowDuringARunRollsBackThenCloses) {
    MakeDatabases(2, 4);
    GoToTitlePage();
    bool closedDuringRun = true;
    DuringCopy([this, &closedDuringRun] {
        Form->close();
        closedDuringRun = !Form->isVisible();
    });
    Start({1, 2});
    EXPECT_FALSE(closedDuringRun);
    EXPECT_FALSE(Form->isVisible());
    EXPECT_FALSE(Form->RunInProgress());
    EXPECT_TRUE(Dialogs.Shown.isEmpty()) << Dialogs.Shown.join('\n').toStdString();
    EXPECT_EQ(MemoLines().last(), QStringLiteral("Ошибка импорта"));
    EXPECT_TRUE(DestTitles().isEmpty());
    EXPECT_FALSE(GuidColumnsLeft());
    // The destination is not left inside a transaction: another connection can write to it.
    EXPECT_EQ(DestRows(QStringLiteral("insert into Титул (Код_титула, Наименование) values (99, 'x') returning 1")),
              QStringList{QStringLiteral("1")});
}
