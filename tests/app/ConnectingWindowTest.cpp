// A forward press whose server takes the connection and never answers: the window goes on
// answering and shows that it connects, and "Отмена", Escape or the close box gives the wait
// up at once, the page left as it was. A connection refused is named in the error box.

#include "WizardTestSupport.h"

#include "app/DBConnectFrame.h"
#include "app/DataLinkDialog.h"
#include "common/SilentServer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QString SqlServerAt(int port) {
    return QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;Initial Catalog=road;"
                          "Persist Security Info=True;User ID=sa;Password=x")
        .arg(port);
}

}  // namespace

TEST_F(WizardTest, WaitingForASilentServerKeepsTheWindowAnsweringAndCanBeGivenUp) {
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    auto* label = Form->findChild<QLabel*>(QStringLiteral("ConnectingLabel"));
    const QString before = ButtonStates();

    const int closed = ClosedPort();
    FillFrame(1, SqlServerAt(closed));
    Press("Button2");
    ASSERT_EQ(Dialogs.Errors().size(), 1);
    EXPECT_TRUE(Dialogs.Errors()[0].startsWith(
        QStringLiteral("Не удалось подключиться к базе данных \"127.0.0.1,%1/road\":\n[FreeTDS]").arg(closed)))
        << Dialogs.Errors()[0].toStdString();
    EXPECT_EQ(Page(), 0);
    Dialogs.Shown.clear();

    TSilentServer silent;
    FillFrame(1, SqlServerAt(silent.Port()));
    const std::pair<const char*, std::function<void()>> cancels[] = {
        {"Escape", [this] { QTest::keyClick(Form.get(), Qt::Key_Escape); }},
        {"Отмена", [this] { Click("Button1"); }},
        {"close box", [this] { Form->close(); }},
    };
    for (const auto& [how, cancel] : cancels) {
        SCOPED_TRACE(how);
        Click("Button2");
        // The press has returned and the window handles its events while the driver waits.
        QTest::qWait(300);
        ASSERT_TRUE(Form->ConnectionPending());
        EXPECT_TRUE(label->isVisible());
        EXPECT_EQ(label->text(), QStringLiteral("Подключение к 127.0.0.1,%1/road...").arg(silent.Port()));
        EXPECT_EQ(Form->cursor().shape(), Qt::BusyCursor);
        EXPECT_EQ(ButtonStates(), QStringLiteral("<< Назад/off, Далее >>/off, Отмена/on"));
        // A second Enter while it waits starts nothing.
        QTest::keyClick(Form.get(), Qt::Key_Return);

        cancel();
        EXPECT_FALSE(Form->ConnectionPending());
        EXPECT_FALSE(label->isVisible());
        EXPECT_EQ(Form->cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(ButtonStates(), before);
        EXPECT_EQ(Page(), 0);
        EXPECT_FALSE(Module->ADOConnectionSource.Connected());
        EXPECT_TRUE(Dialogs.Shown.isEmpty()) << Dialogs.Shown.join('\n').toStdString();
    }
    EXPECT_FALSE(Form->isVisible());

    // The data-link dialog's test: Escape gives the test up, not the dialog and its fields.
    TDataLinkDialog dialog(SqlServerAt(silent.Port()));
    dialog.show();
    auto* result = dialog.findChild<QLabel*>(QStringLiteral("TestResultLabel"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("TestButton")), Qt::LeftButton);
    QTest::qWait(100);
    ASSERT_TRUE(dialog.TestPending());
    EXPECT_EQ(result->text(), QStringLiteral("Подключение к 127.0.0.1,%1/road...").arg(silent.Port()));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.TestPending());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(result->text(), QStringLiteral("Проверка подключения отменена."));
    EXPECT_EQ(dialog.ConnectionString(), SqlServerAt(silent.Port()));
}
