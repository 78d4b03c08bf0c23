// The window as the front end of a run: the run started by "Начать", the copier's questions,
// and the progress display and abort check that the copier's callbacks reach.

#include "app/EscapeKeyState.h"
#include "app/PathraImportForm.h"
#include "app/WizardDialogs.h"
#include "db/ImportDBModule.h"
#include "support/EAbort.h"
#include "titles/TitlePreparation.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>

namespace {

const int LogPage = 3;

}  // namespace

void TPathraImportForm::RunImport() {
    Running = true;
    CloseRequested = false;
    SetQuestionAsker(this);
    try {
        RunTitleImport(*this, Plan, Module.ADOConnectionSource, Module.ADOConnectionDest);
    } catch (const EAbort&) {
        Running = false;
        throw;
    } catch (...) {
        Running = false;
        // A preparation that failed may have left its columns behind; a window that is
        // closing will not get another chance to remove them.
        if (CloseRequested) DropImportSchemaChanges(Plan, Module.ADOConnectionSource, Module.ADOConnectionDest);
        if (CloseRequested) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        throw;
    }
    Running = false;
    if (CloseRequested) close();
}

int TPathraImportForm::Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) {
    // A window that is closing keeps nothing of the run: continue no, keep no, save no.
    if (CloseRequested) return mrNo;
    return Dialogs.ShowCenteredMessage(message, type, buttons);
}

void TPathraImportForm::ClearMemo() { Memo->clear(); }
void TPathraImportForm::AddMemoLine(const QString& line) { Memo->appendPlainText(line); }
void TPathraImportForm::ShowLogPage() { Notebook1->setCurrentIndex(LogPage); }

void TPathraImportForm::TableStart(const QString& name, int rows, int tableCount, int tableNumber) {
    GroupBox7->setTitle(TableStartCaption(name, rows, tableCount, tableNumber));
    GroupBox7->repaint();
    // A range of 0 to 0 would turn the bar into a busy indicator.
    ProgressBar1->setRange(0, std::max(rows, 1));
    ProgressBar1->setValue(0);
    Button3->setEnabled(false);
    Button2->setEnabled(false);
    AbortRequested = false;
}

void TPathraImportForm::RowProgress(const QString& name, int rowsDone) {
    if (GroupBox7->title().contains(name)) ProgressBar1->setValue(rowsDone);
    // After every row, so that a click or a key reaches the very next abort check.
    QCoreApplication::processEvents();
}

void TPathraImportForm::CheckAbort() {
    if (AbortRequested || CloseRequested) {
        AbortRequested = false;
        throw EAbort();
    }
    if (EscapeState->EscapeHeldInFront()) throw EAbort();
}

void TPathraImportForm::ResetDisplay() {
    GroupBox7->setTitle(QStringLiteral("Импорт завершен"));
    ProgressBar1->setValue(0);
    Button3->setEnabled(true);
    Button2->setEnabled(true);
    Button1->setEnabled(true);
}
