#pragma once
// The runner's front end: the title list held in memory, the memo on standard output, the
// message boxes on standard error with the answers the flags give, the progress display on
// a terminal, and the interrupt as the abort request.

#include "cli/Console.h"
#include "copier/Callbacks.h"
#include "titles/ImportRun.h"

#include <QList>
#include <QVector>

// How the runner answers the questions of a run.
struct TRunAnswers {
    bool Save = false;              // "Импорт прошел успешно, сохранить?"
    bool IgnoreDuplicates = false;  // the duplicate-title box
};

class TTerminalFrontEnd : public TImportFrontEnd, public TQuestionAsker {
public:
    TTerminalFrontEnd(TConsole& console, const TRunAnswers& answers);

    // The title list.
    int ItemCount() const override;
    QString ItemCaption(int index) const override;
    QString ItemSubItem(int index) const override;
    bool ItemChecked(int index) const override;
    void SetItemChecked(int index, bool checked) override;
    void ClearItems() override;
    void AddItem(const QString& caption, const QStringList& subItems) override;

    // The preparation's message boxes.
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowTitlePage() override {}

    // The copier's questions.
    int Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) override;

    // The run's display.
    void ClearMemo() override {}
    void AddMemoLine(const QString& line) override;
    void ShowLogPage() override {}
    void TableStart(const QString& name, int rows, int tableCount, int tableNumber) override;
    void RowProgress(const QString& name, int rowsDone) override;
    void CheckAbort() override;
    void ResetDisplay() override;

    // Message boxes shown so far (the title list's fill reports its failure by one).
    int MessagesShown() const { return MessageCount; }
    // Whether the run went unsaved by an answer (the save declined, or the copy stopped)
    // rather than by a failure.
    bool UnsavedByAnswer() const { return SaveDeclined || StopAsked; }
    bool SaveWasDeclined() const { return SaveDeclined; }
    bool StopWasAsked() const { return StopAsked; }

private:
    struct TItem {
        QString Caption;
        QStringList SubItems;
        bool Checked = false;
    };

    int AnswerDuplicateBox();
    void ShowBox(const QString& text, TMsgDlgType type);
    void ShowAnswer(int answer, const QString& reason);
    QString ProgressLine() const;

    TConsole& Console;
    TRunAnswers Answers;
    QList<TItem> Items;
    int MessageCount = 0;
    // The ticks when the duplicate box was last answered "Игнорировать".
    QVector<bool> TicksAtLastIgnore;
    bool IgnoredBefore = false;
    bool SaveDeclined = false;
    bool StopAsked = false;

    QString ProgressName;  // the table (or phase) the line is about
    QString Caption;
    int ProgressMax = 0;
    int ProgressPosition = 0;
};
