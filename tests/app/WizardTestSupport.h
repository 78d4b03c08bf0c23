#pragma once
// What the window's tests share: dialogs answered from a script, and a window on fresh
// sample SQLite files driven through its buttons as a user would.

#include "app/PathraImportForm.h"
#include "app/WizardDialogs.h"
#include "common/TestFiles.h"
#include "db/ImportDBModule.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class QGroupBox;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class TScriptedDialogs : public TWizardDialogs {
public:
    // Every box shown, as "<kind>: <text>" (kind: box, ask, error).
    QStringList Shown;
    // Answers by the start of a box's text; a box with no answer gets Cancel, a question No.
    QList<QPair<QString, int>> Answers;
    // The data-link dialog's answer: a function of the initial string (none: Cancel).
    std::function<QString(const QString&)> DataSource;
    // Runs once when a question with this text is asked, before it is answered.
    std::function<void(const QString&)> OnAsk;

    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    int ShowCenteredMessage(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowError(const QString& text) override;
    QString PromptDataSource(const QString& initialString) override;

    QStringList Errors() const;

private:
    int Answer(const QString& text, int fallback);
};

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sample source of `titles` titles and an empty destination with the dictionaries;
    // both frames filled with their files.
    void MakeDatabases(int titles = 3, int rows = 3);
    void FillFrame(int frame, const QString& connectionString);
    // Presses a button of the window by its name, and waits for the connection it opens.
    void Press(const char* name);
    // Presses a button and returns at once, its connection still opening.
    void Click(const char* name);
    void WaitForConnection();
    // From the source page to the title page with both connections opened.
    void GoToTitlePage();
    // Runs an action once, from the window's message processing during a run, as soon as
    // the copy of a table has reported its first row.
    void DuringCopy(const std::function<void()>& action);

    int Page() const;
    QPushButton* Button(const char* name) const;
    QString ButtonStates() const;  // "Button3 caption/enabled, Button2 ..., Button1 ..."
    QStringList MemoLines() const;
    QTreeWidget* List() const;
    QGroupBox* Caption() const;
    QProgressBar* Progress() const;
    // Rows of a statement on the destination (or the source) file, read afresh.
    QStringList DestRows(const QString& statement);
    QStringList SourceRows(const QString& statement);
    bool GuidColumnsLeft();

    TTestDir Dir;
    QString SourcePath;
    QString DestPath;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TImportDBModule> Module;
    std::unique_ptr<TPathraImportForm> Form;

private:
    QStringList RowsOf(const QString& path, const QString& statement);
    QString SavedLogFile;
    std::uint8_t SavedLevel = 0;
};

// Readable QString values in the tests' failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
