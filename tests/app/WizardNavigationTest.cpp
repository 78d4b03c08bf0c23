// The wizard's pages and buttons driven as a user would: captions and enabled states, the
// forward press's errors, the title list kept or rebuilt, ticks and search.

#include "WizardTestSupport.h"

#include "app/DBConnectFrame.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

TEST_F(WizardTest, PagesCarryTheirCaptionsAndButtonStates) {
    MakeDatabases();
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Импорт данных OrvaneInfo/Road"));
    EXPECT_EQ(Form->minimumSize(), QSize(565, 400));
    EXPECT_FALSE(Form->DBConnectFrame1->ServerTypePanelVisible());
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(ButtonStates(), QStringLiteral("<< Назад/off, Далее >>/on, Отмена/on"));
    Press("Button2");
    EXPECT_EQ(ButtonStates(), QStringLiteral("<< Назад/on, Далее >>/on, Отмена/on"));
    Press("Button2");
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(ButtonStates(), QStringLiteral("<< Назад/on, Начать/on, Отмена/on"));
    EXPECT_EQ(List()->topLevelItemCount(), 3);
    Form->SetItemChecked(0, true);
    Dialogs.Answers << qMakePair(QStringLiteral("Импорт прошел успешно"), int(mrYes));
    Press("Button2");
    EXPECT_EQ(Page(), 3);
    EXPECT_EQ(ButtonStates(), QStringLiteral("В начало/on, Закрыть/on, Отмена/on"));
    // "Отмена" after the run changes nothing visible; "В начало" goes to the title page.
    Press("Button1");
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Page(), 3);
    Press("Button3");
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(Form->ItemChecked(0));
    Press("Button3");
    Press("Button3");
    EXPECT_EQ(Page(), 0);
    Press("Button1");
    EXPECT_FALSE(Form->isVisible());
    EXPECT_TRUE(Dialogs.Errors().isEmpty());
}

// The empty name is refused before any connection is tried; a database that cannot be opened
// is named, with the driver's text on the next line. Either way the page and the title list
// stay as they were.
TEST_F(WizardTest, ForwardPressErrorsLeaveThePageAndTheList) {
    MakeDatabases();
    GoToTitlePage();
    Press("Button3");
    Press("Button3");
    // The file as the server, no database name: refused at once, the open connection untouched.
    FillFrame(1, QStringLiteral("Provider=SQLite;Data Source=") + SourcePath);
    ASSERT_TRUE(Form->DBConnectFrame1->DBNameEdit->text().isEmpty());
    Click("Button2");
    EXPECT_FALSE(Form->ConnectionPending());
    EXPECT_EQ(Dialogs.Errors(), QStringList{QStringLiteral("Не задано имя базы данных.")});
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(Module->ADOConnectionSource.Connected());
    EXPECT_EQ(List()->topLevelItemCount(), 3);

    Dialogs.Shown.clear();
    FillFrame(1, QStringLiteral("Provider=SQLite;Location=") + Dir.Path(QStringLiteral("missing.db")));
    Press("Button2");
    ASSERT_EQ(Dialogs.Errors().size(), 1);
    EXPECT_TRUE(Dialogs.Errors()[0].startsWith(
        QStringLiteral("Не удалось подключиться к базе данных \"%1\":\nФайл базы данных SQLite \"")
            .arg(Dir.Path(QStringLiteral("missing.db")))))
        << Dialogs.Errors()[0].toStdString();
    EXPECT_TRUE(Dialogs.Errors()[0].endsWith(QLatin1Char('.')));
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(List()->topLevelItemCount(), 3);
}

TEST_F(WizardTest, TitleListIsKeptFromTheDestinationPageAndRebuiltFromTheSource) {
    MakeDatabases();
    GoToTitlePage();
    EXPECT_EQ(List()->topLevelItem(0)->text(0), QStringLiteral("1"));
    EXPECT_EQ(List()->topLevelItem(0)->text(1), SourceRows(QStringLiteral("select Наименование from Титул where Код_титула = 1"))[0]);
    EXPECT_EQ(List()->topLevelItem(0)->checkState(0), Qt::Unchecked);
    Form->SetItemChecked(1, true);

    Press("Button3");
    Press("Button2");
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(Form->ItemChecked(1));

    // A title added meanwhile shows only once the list is read afresh.
    SourceRows(QStringLiteral("insert into Титул (Код_титула, Наименование) values (50, 'True') returning Код_титула"));
    Press("Button3");
    Press("Button3");
    Press("Button2");
    Press("Button2");
    ASSERT_EQ(List()->topLevelItemCount(), 4);
    EXPECT_FALSE(Form->ItemChecked(1));
    EXPECT_EQ(List()->topLevelItem(3)->text(1), QStringLiteral("Да"));
}

TEST_F(WizardTest, MissingTitleTableIsReportedAndTheTitlePageShown) {
    MakeDatabases();
    CreateSqliteDatabase(SourcePath, {QStringLiteral("create table Другое (Код integer primary key)")});
    GoToTitlePage();
    EXPECT_EQ(Dialogs.Shown, QStringList{QStringLiteral(
                                 "box: Таблица Титул не найдена. Возможная причина - несоответствие версии базы данных")});
    EXPECT_EQ(List()->topLevelItemCount(), 0);
}

TEST_F(WizardTest, TickAllClearAllAndSearchWalkingAndWrapping) {
    MakeDatabases(6);
    GoToTitlePage();
    QTreeWidget* list = List();
    // Every name of the sample holds "участок"; three names are made to hold "Особый".
    for (int key : {2, 4, 6})
        SourceRows(QStringLiteral("update Титул set Наименование = 'особый ' || Наименование where Код_титула = %1 returning 1").arg(key));
    Press("Button3");
    Press("Button3");
    Press("Button2");
    Press("Button2");

    list->setCurrentItem(list->topLevelItem(2));
    QTest::mouseClick(Form->findChild<QWidget*>(QStringLiteral("ToolButton1")), Qt::LeftButton);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(Form->ItemChecked(i)) << i;
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    QTest::mouseClick(Form->findChild<QWidget*>(QStringLiteral("ToolButton5")), Qt::LeftButton);
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(Form->ItemChecked(i)) << i;

    auto* search = Form->findChild<QLineEdit*>(QStringLiteral("SearchEdit"));
    auto* button = Form->findChild<QWidget*>(QStringLiteral("SpeedButton1"));
    list->clearSelection();
    search->setText(QStringLiteral("ОСОБЫЙ"));
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(button, Qt::LeftButton);
        visited << list->selectedItems().value(0)->text(0);
    }
    EXPECT_EQ(visited, (QStringList{"2", "4", "6", "2"}));
    EXPECT_EQ(list->currentItem(), list->selectedItems().value(0));
    // No match and an empty text change nothing.
    search->setText(QStringLiteral("нет такого"));
    QTest::mouseClick(button, Qt::LeftButton);
    search->clear();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(list->selectedItems().value(0)->text(0), QStringLiteral("2"));
    // The only match already selected: the search finds nothing further.
    search->setText(QStringLiteral("№ 4"));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(list->selectedItems().value(0)->text(0), QStringLiteral("4"));

    // Enter in the search field presses the window's default button: a run with nothing ticked.
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_TRUE(Dialogs.Shown.contains(QStringLiteral("box: Ни один титул не выбран.")));
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(MemoLines().isEmpty());
}
