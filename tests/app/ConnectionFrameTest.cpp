// The connection frame: the strings it builds, the values it reads back, the data-link
// dialog's round trips, the start-up options, and the message boxes and error handler of
// the window.

#include "WizardTestSupport.h"

#include "app/ConnectionText.h"
#include "app/DBConnectFrame.h"
#include "app/DataLinkDialog.h"
#include "app/ErrorHandler.h"
#include "app/WizardOptions.h"
#include "db/ConnectionString.h"
#include "support/EAbort.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

TConnectionFields Mssql(bool nt, const QString& server, const QString& db, const QString& user = QString(),
                        const QString& password = QString()) {
    TConnectionFields fields;
    fields.NTAuthorization = nt;
    fields.ServerName = server;
    fields.DBName = db;
    fields.UserName = user;
    fields.Password = password;
    return fields;
}

}  // namespace

TEST(ConnectionText, BuildConnectionStringShapes) {
    EXPECT_EQ(BuildConnectionString(Mssql(true, "S", "D"), 1),
              QStringLiteral("Provider=SQLOLEDB.1;Data Source=S;Initial Catalog=D;Integrated Security=SSPI"));
    EXPECT_EQ(BuildConnectionString(Mssql(false, "S", "D", "U", "P"), 1),
              QStringLiteral("Provider=SQLOLEDB.1;Data Source=S;Initial Catalog=D;Persist Security Info=True;User ID=U;Password=P"));
    EXPECT_EQ(BuildConnectionString(Mssql(false, "S", "D"), 1),
              QStringLiteral("Provider=SQLOLEDB.1;Data Source=S;Initial Catalog=D;Persist Security Info=False"));
    // No database name, no server, an empty password, user fields under Windows authentication.
    EXPECT_EQ(BuildConnectionString(Mssql(true, "S", ""), 1),
              QStringLiteral("Provider=SQLOLEDB.1;Data Source=S;Integrated Security=SSPI"));
    EXPECT_EQ(BuildConnectionString(Mssql(true, "", "D"), 1),
              QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=D;Integrated Security=SSPI"));
    EXPECT_TRUE(BuildConnectionString(Mssql(false, "S", "D", "U"), 1).endsWith(QStringLiteral(";User ID=U;Password=")));
    EXPECT_EQ(BuildConnectionString(Mssql(true, "S", "D", "U", "P"), 1),
              BuildConnectionString(Mssql(true, "S", "D"), 1));
    // Selectors 0 and other; blanks around a value keep it in quotes.
    EXPECT_EQ(BuildConnectionString(Mssql(true, " S ", "D"), 0),
              QStringLiteral("Provider=SQLOLEDB.1;Data Source=\" S \";Initial Catalog=master;Integrated Security=SSPI"));
    EXPECT_EQ(BuildConnectionString(Mssql(true, "S", "D"), 2), QStringLiteral("Provider=SQLOLEDB.1;Data Source=S;Integrated Security=SSPI"));

    TConnectionFields pg = Mssql(false, "S", "D", "U", "P");
    pg.ServerType = TServerType::PostgreSQL;
    EXPECT_EQ(BuildConnectionString(pg, 1),
              QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=S;Location=D;User ID=U;Password=P"));
    pg.UserName.clear();
    EXPECT_EQ(BuildConnectionString(pg, 0), QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=S;Location=postgres"));
    TConnectionFields other = Mssql(true, "", "D");
    other.ServerType = TServerType::Other;
    EXPECT_EQ(BuildConnectionString(other, 1), QStringLiteral("Provider=;Location=D;Integrated Security=SSPI"));
    other.ServerType = TServerType::None;
    EXPECT_EQ(BuildConnectionString(other, 0), QStringLiteral(";Location=master;Integrated Security=SSPI"));
}

TEST(ConnectionText, ExtractConnectionParamValues) {
    const QString text = QStringLiteral("Provider=SQLOLEDB.1;Data Source=\"srv\";Password=\"\";User ID=a;User ID=b;"
                                        "Location=\"x;y\";Empty=;");
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("Provider")), QStringLiteral("SQLOLEDB.1"));
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("Data Source")), QStringLiteral("srv"));
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("Password")), QString());
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("User ID")), QStringLiteral("b"));
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("Location")), QStringLiteral("x;y"));
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("Empty")), QString());
    EXPECT_EQ(ExtractConnectionParam(text, QStringLiteral("Initial Catalog")), QString());
    EXPECT_EQ(ExtractConnectionParam(QStringLiteral("A=1\n2;"), QStringLiteral("A")), QStringLiteral("1\n2"));
}

// A value typed in the frame reaches the connection whole and adds no key of its own, in
// every field; values that need no quotes are written exactly as typed.
TEST(ConnectionText, TypedValuesPassWholeAndAddNoKeys) {
    const QStringList awkward = {QStringLiteral("pa;ss"), QStringLiteral("p\"q"), QStringLiteral(" lead"),
                                 QStringLiteral("trail "), QStringLiteral("'quoted'"), QStringLiteral("\"\""),
                                 QStringLiteral("x;Integrated Security=SSPI"),
                                 QStringLiteral("a\";Data Source=evil;b=\""), QStringLiteral("it's"), QStringLiteral("plain")};
    const auto base = [] {
        TConnectionFields fields = Mssql(false, QStringLiteral("srv"), QStringLiteral("Road"), QStringLiteral("u"),
                                         QStringLiteral("p"));
        fields.ServerType = TServerType::PostgreSQL;
        fields.Driver = QLatin1String(PostgreSQLDriver);
        return fields;
    };
    const QList<std::pair<const char*, QString TConnectionFields::*>> fieldsByKey = {
        {"Data Source", &TConnectionFields::ServerName}, {"Location", &TConnectionFields::DBName},
        {"User ID", &TConnectionFields::UserName}, {"Password", &TConnectionFields::Password}};
    for (const QString& value : awkward) {
        for (const auto& [key, member] : fieldsByKey) {
            TConnectionFields fields = base();
            fields.*member = value;
            const QString text = BuildConnectionString(fields, 1);
            const QString context = QStringLiteral("%1 = [%2]: %3").arg(QLatin1String(key), value, text);
            TConnectionParams params;
            ASSERT_NO_THROW(params = ParseConnectionString(text)) << context.toStdString();
            EXPECT_EQ(params.Items.size(), 5) << context.toStdString();
            EXPECT_EQ(params.Value(QLatin1String(key)), value) << context.toStdString();
            EXPECT_FALSE(params.IntegratedSecurity()) << context.toStdString();

            TConnectionFields back = base();
            ReadConnectionText(back, text + QLatin1Char(';'));
            EXPECT_EQ(back.*member, value) << context.toStdString();
            EXPECT_EQ(BuildConnectionString(back, 1), text) << context.toStdString();
            EXPECT_FALSE(back.NTAuthorization) << context.toStdString();
        }
    }
    TConnectionFields plain = Mssql(false, QStringLiteral("srv,1433"), QStringLiteral("Road"), QStringLiteral("it's"),
                                    QStringLiteral("p@ss w=rd"));
    EXPECT_EQ(BuildConnectionString(plain, 1), QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv,1433;Initial Catalog=Road;"
                                                              "Persist Security Info=True;User ID=it's;Password=p@ss w=rd"));

    // Typed in the real frame, a password survives the data-link dialog's Cancel.
    TScriptedDialogs dialogs;
    TDBConnectFrame frame(dialogs);
    frame.SQLAuthorizationButton->setChecked(true);
    frame.findChild<QLineEdit*>(QStringLiteral("UserNameEdit"))->setText(QStringLiteral("u"));
    auto* password = frame.findChild<QLineEdit*>(QStringLiteral("PasswordEdit"));
    QTest::keyClicks(password, QStringLiteral("a\";Integrated Security=SSPI;x='"));
    dialogs.DataSource = [](const QString& initial) { return initial; };
    frame.PromptDBClick();
    EXPECT_EQ(password->text(), QStringLiteral("a\";Integrated Security=SSPI;x='"));
    EXPECT_TRUE(frame.SQLAuthorizationButton->isChecked());
}

// PromptDBClick: Cancel gives the frame's own string back; a provider that is neither SQL
// Server nor PostgreSQL selects the other type; an SQLite file shows in "Имя базы:".
TEST(ConnectionFrame, PromptDBClickRoundTrips) {
    TScriptedDialogs dialogs;
    TDBConnectFrame frame(dialogs);
    frame.NTAuthorizationButton->setChecked(true);
    frame.ServerNameEdit->setText(QStringLiteral("srv"));
    frame.DBNameEdit->setText(QStringLiteral("Road"));
    auto* user = frame.findChild<QLineEdit*>(QStringLiteral("UserNameEdit"));
    user->setText(QStringLiteral("left over"));
    const QString before = frame.BuildConnectionString(1);
    QString offered;
    dialogs.DataSource = [&](const QString& initial) { offered = initial; return initial; };
    frame.PromptDBClick();
    EXPECT_EQ(offered, before);
    EXPECT_EQ(frame.BuildConnectionString(1), before);
    EXPECT_EQ(frame.findChild<QLineEdit*>(QStringLiteral("OLEDBDriverEdit"))->text(), QStringLiteral("SQLOLEDB.1"));
    EXPECT_TRUE(user->text().isEmpty());
    EXPECT_FALSE(user->isEnabled());

    dialogs.DataSource = [](const QString&) {
        return QStringLiteral("Provider=MSDASQL.1;Data Source=dsn;Initial Catalog=Road;User ID=u;Password=p");
    };
    frame.PromptDBClick();
    EXPECT_TRUE(frame.findChild<QRadioButton*>(QStringLiteral("OtherSQLServerButton"))->isChecked());
    EXPECT_TRUE(frame.DBNameEdit->text().isEmpty());
    EXPECT_TRUE(user->isEnabled());
    EXPECT_EQ(frame.BuildConnectionString(1), QStringLiteral("Provider=MSDASQL.1;Data Source=dsn;User ID=u;Password=p"));

    dialogs.DataSource = [](const QString&) { return QStringLiteral("Provider=SQLite;Location=/data/road.db"); };
    frame.PromptDBClick();
    EXPECT_EQ(frame.DBNameEdit->text(), QStringLiteral("/data/road.db"));
    EXPECT_EQ(frame.BuildConnectionString(1), QStringLiteral("Provider=SQLite;Location=/data/road.db"));

    dialogs.DataSource = [](const QString&) {
        return QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=h:5432;Location=road;Integrated Security=SSPI");
    };
    frame.PromptDBClick();
    EXPECT_TRUE(frame.findChild<QRadioButton*>(QStringLiteral("PostgreSQLButton"))->isChecked());
    EXPECT_EQ(frame.DBNameEdit->text(), QStringLiteral("road"));
    EXPECT_TRUE(frame.NTAuthorizationButton->isChecked());

    // The dialog's own failure reaches the error box through the button; the fields stay.
    const QString kept = frame.BuildConnectionString(1);
    dialogs.DataSource = [](const QString&) -> QString { throw Exception(QStringLiteral("Служба недоступна")); };
    QTest::mouseClick(frame.findChild<QPushButton*>(QStringLiteral("PromptDB")), Qt::LeftButton);
    EXPECT_EQ(dialogs.Errors(), QStringList{QStringLiteral("Служба недоступна.")});
    EXPECT_EQ(frame.BuildConnectionString(1), kept);
}

TEST(ConnectionFrame, TimeoutValueIsBoundedAndDefaultsTo30) {
    TScriptedDialogs dialogs;
    TDBConnectFrame frame(dialogs);
    auto* spin = frame.findChild<QAbstractSpinBox*>(QStringLiteral("TimeoutEdit"));
    EXPECT_EQ(frame.TimeoutValue(), 30);
    for (auto [typed, value] : {std::pair{"120", 120}, std::pair{"5", 30}, std::pair{"", 30}}) {
        QLineEdit* edit = spin->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(typed));
        spin->interpretText();
        QEvent focusOut(QEvent::FocusOut);
        spin->clearFocus();
        EXPECT_EQ(frame.TimeoutValue(), value) << typed;
    }
}

TEST(DataLinkDialog, BuildsTheFrameShapesAndTestsTheConnection) {
    TTestDir dir;
    const QString path = dir.Path(QStringLiteral("data.db"));
    CreateSqliteDatabase(path, {QStringLiteral("create table T (a integer)")});
    TDataLinkDialog dialog(QStringLiteral("Provider=SQLite;Location=") + path);
    EXPECT_EQ(dialog.ConnectionString(), QStringLiteral("Provider=SQLite;Location=") + path);
    auto* result = dialog.findChild<QLabel*>(QStringLiteral("TestResultLabel"));
    // The test runs off the window's thread; its answer comes through the event loop.
    const auto waitForTest = [&dialog] {
        for (QDeadlineTimer deadline(30000); dialog.TestPending() && !deadline.hasExpired();) QTest::qWait(5);
    };
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("TestButton")), Qt::LeftButton);
    waitForTest();
    EXPECT_EQ(result->text(), QStringLiteral("Проверка подключения выполнена успешно."));
    dialog.findChild<QLineEdit*>(QStringLiteral("DatabaseEdit"))->setText(dir.Path(QStringLiteral("none.db")));
    dialog.TestConnection();
    waitForTest();
    EXPECT_TRUE(result->text().startsWith(QStringLiteral("Не удалось подключиться к базе данных \"%1\":\n")
                                              .arg(dir.Path(QStringLiteral("none.db")))))
        << result->text().toStdString();
    dialog.findChild<QLineEdit*>(QStringLiteral("DatabaseEdit"))->clear();
    dialog.TestConnection();
    EXPECT_FALSE(dialog.TestPending());
    EXPECT_EQ(result->text(), QStringLiteral("Не задано имя базы данных."));

    TDataLinkDialog server(QStringLiteral("Provider=SQLOLEDB.1;Data Source=h;Initial Catalog=Road;Persist Security Info=True;User ID=u;Password=p"));
    EXPECT_EQ(server.ConnectionString(),
              QStringLiteral("Provider=SQLOLEDB.1;Data Source=h;Initial Catalog=Road;Persist Security Info=True;User ID=u;Password=p"));
    auto* providers = server.findChild<QComboBox*>(QStringLiteral("ProviderBox"));
    providers->setCurrentIndex(providers->findText(QStringLiteral("PostgreSQL")));
    server.findChild<QRadioButton*>(QStringLiteral("WindowsAuthButton"))->setChecked(true);
    EXPECT_EQ(server.ConnectionString(),
              QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=h;Location=Road;Integrated Security=SSPI"));
}

TEST(WizardOptions, ConnectionOptionsAndMalformedCommandLines) {
    const TWizardOptions options = ParseWizardArguments(
        {QStringLiteral("--source"), QStringLiteral("Provider=SQLite;Location=/a.db"), QStringLiteral("--dest=Provider=SQLite;Location=/b.db")});
    EXPECT_EQ(options.Source, QStringLiteral("Provider=SQLite;Location=/a.db"));
    EXPECT_EQ(options.Dest, QStringLiteral("Provider=SQLite;Location=/b.db"));
    for (const QStringList& bad : {QStringList{"--source"}, QStringList{"--bogus"}, QStringList{"file.db"},
                                   QStringList{"--source", "Provider=Unknown;Location=x"}, QStringList{"--dest", ""},
                                   QStringList{"--dest", "Provider=SQLite;Location=\"x"},
                                   QStringList{"--source", "Provider=SQLite", "--source", "Provider=SQLite"}}) {
        EXPECT_THROW(ParseWizardArguments(bad), EWizardUsage) << bad.join(' ').toStdString();
    }
}

// The program itself: a malformed command line is a usage message and status 2, with or
// without a display.
TEST(WizardOptions, ProgramAnswersAMalformedCommandLineWithUsage) {
    for (const QStringList& arguments : {QStringList{"--bogus"}, QStringList{"--dest"}}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(ROAD_IMPORT_WIZARD_BIN), arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 2);
        EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError()).contains(QStringLiteral("Usage: road-import-wizard")));
    }
}

TEST(WizardDialogs, ErrorHandlerAddsAFullStopAndDropsTheSilentAbort) {
    TScriptedDialogs dialogs;
    RunGuarded(dialogs, [] { throw Exception(QStringLiteral("Нет связи")); });
    RunGuarded(dialogs, [] { throw Exception(QStringLiteral("Готово!")); });
    RunGuarded(dialogs, [] { throw EAbort(); });
    EXPECT_EQ(dialogs.Errors(), (QStringList{QStringLiteral("Нет связи."), QStringLiteral("Готово!")}));
}

// The copier's question: the conventions' captions, and Escape presses no button.
TEST(WizardDialogs, ShowCenteredMessageIgnoresEscape) {
    TStandardDialogs dialogs;
    bool stillShown = false;
    QStringList captions;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QAbstractButton* button : box->buttons()) captions << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
        stillShown = box->isVisible();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("&Нет")) button->click();
    });
    const int answer = dialogs.ShowCenteredMessage(QStringLiteral("Импорт прошел успешно, сохранить?"),
                                                   TMsgDlgType::mtConfirmation, TMsgDlgBtn::mbYes | TMsgDlgBtn::mbNo);
    EXPECT_TRUE(stillShown);
    EXPECT_EQ(answer, mrNo);
    EXPECT_EQ(title, QStringLiteral("Подтверждение"));
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("&Да"), QStringLiteral("&Нет")}));

    // The standard box, by contrast, answers Escape with its cancel role.
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(dialogs.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtError, TMsgDlgBtn::mbCancel | TMsgDlgBtn::mbIgnore), mrCancel);
}
