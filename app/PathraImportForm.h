#pragma once
// The import wizard's window: four pages (source, destination, titles, log) and three
// buttons. It is the front end of the run: the title list, the message boxes, the log memo,
// the progress display and the abort request all live here; the run itself is RunTitleImport.

#include "copier/Callbacks.h"
#include "titles/ImportPlan.h"
#include "titles/ImportRun.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QGroupBox;
class QLabel;
class QShortcut;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TConnectionAttempt;
class TDBConnectFrame;
struct TAttemptOutcome;
class TEscapeKeyState;
class TImportDBModule;
class TStorage;
class TStorageManager;
class TWizardDialogs;

class TPathraImportForm : public QWidget, public TImportFrontEnd, public TQuestionAsker {
    Q_OBJECT
public:
    // The data module exists before the window; the dialogs answer every modal question.
    TPathraImportForm(TImportDBModule& module, TWizardDialogs& dialogs, QWidget* parent = nullptr);
    ~TPathraImportForm() override;

    // Event handlers.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void ToolButton1Click();
    void ToolButton5Click();
    void SpeedButton1Click();

    bool RunInProgress() const { return Running; }
    // Whether a forward press is waiting for its connection: the window shows it, answers,
    // and "Отмена" or Escape gives the wait up.
    bool ConnectionPending() const;

    // The title list.
    int ItemCount() const override;
    QString ItemCaption(int index) const override;
    QString ItemSubItem(int index) const override;
    bool ItemChecked(int index) const override;
    void SetItemChecked(int index, bool checked) override;
    void ClearItems() override;
    void AddItem(const QString& caption, const QStringList& subItems) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowTitlePage() override;

    // The copier's questions.
    int Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) override;

    // The run's display (OnTableStart, OnRowProgress, OnCheckAbort, OnLogLine, FinishImport).
    void ClearMemo() override;
    void AddMemoLine(const QString& line) override;
    void ShowLogPage() override;
    void TableStart(const QString& name, int rows, int tableCount, int tableNumber) override;
    void RowProgress(const QString& name, int rowsDone) override;
    void CheckAbort() override;
    void ResetDisplay() override;

    TDBConnectFrame* DBConnectFrame1;
    TDBConnectFrame* DBConnectFrame2;

    // Saved settings: the placement and both frames, restored on show and saved on close.
    TStorageManager* StorageManager1;
    TStorage* Storage1;
    void Storage1Save(TStorage* sender);
    void Storage1Restore(TStorage* sender);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* CreateConnectionPage(const char* groupName, const QString& caption, TDBConnectFrame*& frame);
    QWidget* CreateTitlePage();
    QWidget* CreateLogPage();
    QWidget* CreateButtonPanel();
    void FormCreate();
    void CreateStorage();
    void Notebook1PageChanged();
    // The connection step of a forward press on page 0 or 1 (PathraImportFormConnect.cpp).
    void StartOpening(TADOConnection& connection, TDBConnectFrame& frame, bool readTitles);
    void ConnectionOpened(TADOConnection& connection, const QString& connectionString, TAttemptOutcome& outcome);
    void CancelConnecting();
    void ShowConnecting(const QString& database);
    void EndConnecting();
    void FillTitleListFrom(const TAttemptOutcome& outcome);
    void RunImport();
    void Guarded(void (TPathraImportForm::*handler)());

    TImportDBModule& Module;
    TWizardDialogs& Dialogs;
    TEscapeKeyState* EscapeState;
    TImportPlan Plan;
    bool AbortRequested = false;
    bool Running = false;
    // The window was asked to close during a run: the run is stopped and rolled back first.
    bool CloseRequested = false;
    std::unique_ptr<TConnectionAttempt> Attempt;
    QPointer<QWidget> FocusBeforeConnecting;

    QStackedWidget* Notebook1;
    QTreeWidget* ListView1;
    QToolBar* ToolBar1;
    QLineEdit* SearchEdit;
    QToolButton* SpeedButton1;
    QPlainTextEdit* Memo;
    QGroupBox* GroupBox7;
    QProgressBar* ProgressBar1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QLabel* ConnectingLabel;
    QShortcut* CancelShortcut;
};

// The window's font: Tahoma 8 points where present, else a sans font with Cyrillic.
QFont WizardFont();
