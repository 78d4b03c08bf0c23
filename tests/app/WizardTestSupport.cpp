#include "WizardTestSupport.h"

#include "app/ConnectionAttempt.h"
#include "app/DBConnectFrame.h"
#include "db/ADOConnection.h"
#include "sample/SampleDatabase.h"
#include "support/Log.h"

#include <QDeadlineTimer>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

int TScriptedDialogs::Answer(const QString& text, int fallback) {
    for (const auto& [start, answer] : Answers)
        if (text.startsWith(start)) return answer;
    return fallback;
}

int TScriptedDialogs::MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) {
    Shown << QStringLiteral("box: ") + text;
    return Answer(text, mrCancel);
}

int TScriptedDialogs::ShowCenteredMessage(const QString& text, TMsgDlgType, TMsgDlgButtons) {
    Shown << QStringLiteral("ask: ") + text;
    if (OnAsk) OnAsk(text);
    return Answer(text, mrNo);
}

void TScriptedDialogs::ShowError(const QString& text) { Shown << QStringLiteral("error: ") + text; }

QString TScriptedDialogs::PromptDataSource(const QString& initialString) {
    return DataSource ? DataSource(initialString) : initialString;
}

QStringList TScriptedDialogs::Errors() const {
    QStringList errors;
    for (const QString& line : Shown)
        if (line.startsWith(QLatin1String("error: "))) errors << line.mid(7);
    return errors;
}

void WizardTest::SetUp() {
    SavedLevel = LogLevel;
    SavedLogFile = LogFileName;
    LogFileName = Dir.Path(QStringLiteral("wizard.log"));
    Module = std::make_unique<TImportDBModule>();
    Form = std::make_unique<TPathraImportForm>(*Module, Dialogs);
    Form->show();
}

void WizardTest::TearDown() {
    Form.reset();
    Module.reset();
    // Attempts given up end once their server is gone; none may outlive the test.
    for (QDeadlineTimer deadline(60000); TConnectionAttempt::RunningThreads() > 0 && !deadline.hasExpired();)
        QTest::qWait(10);
    EXPECT_EQ(TConnectionAttempt::RunningThreads(), 0);
    LogLevel = SavedLevel;
    LogFileName = SavedLogFile;
}

void WizardTest::MakeDatabases(int titles, int rows) {
    SourcePath = Dir.Path(QStringLiteral("source.db"));
    DestPath = Dir.Path(QStringLiteral("dest.db"));
    GenerateSampleDatabase(SourcePath, titles, rows, 7);
    CreateEmptySampleDatabase(DestPath, true);
    FillFrame(1, SampleConnectionString(SourcePath));
    FillFrame(2, SampleConnectionString(DestPath));
}

void WizardTest::FillFrame(int frame, const QString& connectionString) {
    (frame == 1 ? Form->DBConnectFrame1 : Form->DBConnectFrame2)->ReadConnectionString(connectionString + QLatin1Char(';'));
}

void WizardTest::Press(const char* name) {
    Click(name);
    WaitForConnection();
}

void WizardTest::Click(const char* name) {
    QPushButton* button = Button(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

void WizardTest::WaitForConnection() {
    for (QDeadlineTimer deadline(60000); Form->ConnectionPending() && !deadline.hasExpired();) QTest::qWait(5);
    ASSERT_FALSE(Form->ConnectionPending());
}

void WizardTest::GoToTitlePage() {
    Press("Button2");
    Press("Button2");
    ASSERT_EQ(Page(), 2) << Dialogs.Shown.join(QLatin1Char('\n')).toStdString();
}

void WizardTest::DuringCopy(const std::function<void()>& action) {
    auto* timer = new QTimer(Form.get());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, Form.get(), [this, timer, action] {
        if (!Caption()->title().startsWith(QStringLiteral("Импорт таблицы")) || Progress()->value() < 1) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

int WizardTest::Page() const { return Form->findChild<QStackedWidget*>(QStringLiteral("Notebook1"))->currentIndex(); }

QPushButton* WizardTest::Button(const char* name) const {
    return Form->findChild<QPushButton*>(QString::fromLatin1(name));
}

QString WizardTest::ButtonStates() const {
    QStringList states;
    for (const char* name : {"Button3", "Button2", "Button1"}) {
        QPushButton* button = Button(name);
        states << button->text() + (button->isEnabled() ? QStringLiteral("/on") : QStringLiteral("/off"));
    }
    return states.join(QStringLiteral(", "));
}

QStringList WizardTest::MemoLines() const {
    const QString text = Form->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QTreeWidget* WizardTest::List() const { return Form->findChild<QTreeWidget*>(QStringLiteral("ListView1")); }
QGroupBox* WizardTest::Caption() const { return Form->findChild<QGroupBox*>(QStringLiteral("GroupBox7")); }
QProgressBar* WizardTest::Progress() const { return Form->findChild<QProgressBar*>(QStringLiteral("ProgressBar1")); }

QStringList WizardTest::RowsOf(const QString& path, const QString& statement) {
    TADOConnection connection;
    connection.ConnectionString = SampleConnectionString(path);
    connection.Open();
    return Rows(connection, statement);
}

QStringList WizardTest::DestRows(const QString& statement) { return RowsOf(DestPath, statement); }
QStringList WizardTest::SourceRows(const QString& statement) { return RowsOf(SourcePath, statement); }

bool WizardTest::GuidColumnsLeft() {
    const QString statement = QStringLiteral(
        "select count(*) from sqlite_master m, pragma_table_xinfo(m.name) c where m.type = 'table' and c.name = 'GUID'");
    return SourceRows(statement) != QStringList{QStringLiteral("0")} || DestRows(statement) != QStringList{QStringLiteral("0")};
}
