// The forward press's connection step on the two connection pages: opened off the window's
// thread (ConnectionAttempt.h), shown while it runs, given up by "Отмена" or Escape.

#include "app/ConnectionAttempt.h"
#include "app/DBConnectFrame.h"
#include "app/ErrorHandler.h"
#include "app/PathraImportForm.h"
#include "db/ADOQuery.h"
#include "db/DatabaseName.h"
#include "db/ImportDBModule.h"
#include "support/Exception.h"
#include "titles/TitlePreparation.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>

namespace {

// The title list as FillListFromTable fills it, kept for the window: the reading runs on the
// attempt's thread, away from the window's list.
class TTitleListRecord : public TTitleFrontEnd {
public:
    QList<QStringList> Rows;
    QStringList Messages;

    int ItemCount() const override { return static_cast<int>(Rows.size()); }
    QString ItemCaption(int index) const override { return Rows[index].value(0); }
    QString ItemSubItem(int index) const override { return Rows[index].value(1); }
    bool ItemChecked(int) const override { return false; }
    void SetItemChecked(int, bool) override {}
    void ClearItems() override { Rows.clear(); }
    void AddItem(const QString& caption, const QStringList& subItems) override { Rows.append(QStringList{caption} + subItems); }
    int MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) override {
        Messages << text;
        return mrOk;
    }
    void ShowTitlePage() override {}
};

// The title list read through a connection of its own to the source: the source's connection
// belongs to the window's thread. A source that cannot be opened now fails the reading, which
// reports it as it reports every failure.
void ReadTitleList(const QString& sourceString, int sourceTimeout, TAttemptOutcome& outcome) {
    TADOConnection source;
    source.ConnectionString = sourceString;
    source.CommandTimeout = sourceTimeout;
    try {
        source.Open();
    } catch (const Exception&) {
        // The query below fails on the closed connection.
    }
    TADOQuery query(&source);
    TTitleListRecord record;
    FillListFromTable(QStringLiteral("Титул"), record, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), query);
    outcome.RowsRead = true;
    outcome.Rows = record.Rows;
    outcome.Messages = record.Messages;
}

}  // namespace

bool TPathraImportForm::ConnectionPending() const { return Attempt && Attempt->Pending(); }

void TPathraImportForm::StartOpening(TADOConnection& connection, TDBConnectFrame& frame, bool readTitles) {
    // Before any connection is tried: a server would open its default database instead (a
    // PostgreSQL server the one named after the user) and report that.
    if (frame.DBNameEdit->text().trimmed().isEmpty()) throw Exception(QStringLiteral("Не задано имя базы данных"));
    connection.Close();
    const QString connectionString = frame.BuildConnectionString(1);
    const int timeout = frame.TimeoutValue();
    const QString sourceString = Module.ADOConnectionSource.ConnectionString;
    const int sourceTimeout = Module.ADOConnectionSource.CommandTimeout;
    auto work = [connectionString, timeout, readTitles, sourceString, sourceTimeout] {
        TAttemptOutcome outcome;
        outcome.Connection = OpenConnection(connectionString, timeout);
        if (readTitles) ReadTitleList(sourceString, sourceTimeout, outcome);
        return outcome;
    };
    auto done = [this, &connection, connectionString](TAttemptOutcome& outcome) {
        RunGuarded(Dialogs, [&] { ConnectionOpened(connection, connectionString, outcome); });
    };
    Attempt = std::make_unique<TConnectionAttempt>(work, this, done);
    ShowConnecting(DatabaseName(connectionString));
}

void TPathraImportForm::ConnectionOpened(TADOConnection& connection, const QString& connectionString,
                                         TAttemptOutcome& outcome) {
    Attempt.reset();
    EndConnecting();
    if (!outcome.Error.isEmpty()) throw Exception(ConnectionErrorText(connectionString, outcome.Error));
    if (!outcome.Connection || !outcome.Connection->Connected()) return;  // silently, as a press that opened nothing
    connection.TakeSession(*outcome.Connection);
    const int page = Notebook1->currentIndex();
    if (page == 0) ClearItems();
    if (outcome.RowsRead) FillTitleListFrom(outcome);
    Notebook1->setCurrentIndex(page + 1);
}

void TPathraImportForm::FillTitleListFrom(const TAttemptOutcome& outcome) {
    BeginUpdate();
    ClearItems();
    for (const QStringList& row : outcome.Rows) AddItem(row.value(0), row.mid(1));
    for (const QString& message : outcome.Messages) MessageDlg(message, TMsgDlgType::mtError, TMsgDlgBtn::mbOK);
    EndUpdate();
}

void TPathraImportForm::CancelConnecting() {
    if (!ConnectionPending()) return;
    Attempt.reset();
    EndConnecting();
}

void TPathraImportForm::ShowConnecting(const QString& database) {
    // The window keeps the focus while it waits, so that Enter presses nothing and Escape
    // reaches the shortcut; the page cannot change under the attempt.
    FocusBeforeConnecting = QApplication::focusWidget();
    setFocus();
    Notebook1->currentWidget()->setEnabled(false);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    ConnectingLabel->setText(QStringLiteral("Подключение к %1...").arg(database));
    ConnectingLabel->show();
    CancelShortcut->setEnabled(true);
    setCursor(Qt::BusyCursor);
}

void TPathraImportForm::EndConnecting() {
    unsetCursor();
    CancelShortcut->setEnabled(false);
    ConnectingLabel->hide();
    ConnectingLabel->clear();
    Notebook1->currentWidget()->setEnabled(true);
    Button2->setEnabled(true);
    Notebook1PageChanged();
    if (FocusBeforeConnecting && FocusBeforeConnecting->isVisible() && FocusBeforeConnecting->isEnabled())
        FocusBeforeConnecting->setFocus();
    FocusBeforeConnecting.clear();
}
