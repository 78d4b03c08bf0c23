#pragma once
// A front end of a whole run for the tests: the title list and message boxes of
// TScriptedFrontEnd, what the run did to the display in order, the memo, and the answer to
// the question whether to save.

#include "TitleTestSupport.h"

#include "copier/Callbacks.h"
#include "titles/ImportRun.h"

#include <functional>

class TRecordingFrontEnd : public TImportFrontEnd, public TQuestionAsker {
public:
    TScriptedFrontEnd Titles;  // the title list and the message boxes
    QStringList Events;        // what the run did to the front end, in order
    QStringList Memo;
    int SaveAnswer = mrYes;
    std::function<void(const QString& table)> TableHook;  // called as each table's copy begins
    std::function<void(const QString& table, int rowsDone)> RowHook;  // called after each row

    int ItemCount() const override { return Titles.ItemCount(); }
    QString ItemCaption(int index) const override { return Titles.ItemCaption(index); }
    QString ItemSubItem(int index) const override { return Titles.ItemSubItem(index); }
    bool ItemChecked(int index) const override { return Titles.ItemChecked(index); }
    void SetItemChecked(int index, bool checked) override { Titles.SetItemChecked(index, checked); }
    void ClearItems() override { Titles.ClearItems(); }
    void AddItem(const QString& caption, const QStringList& subItems) override { Titles.AddItem(caption, subItems); }
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override {
        Events << QStringLiteral("box ") + text;
        return Titles.MessageDlg(text, type, buttons);
    }
    void ShowTitlePage() override { Events << QStringLiteral("title page"); }

    void ClearMemo() override {
        Memo.clear();
        Events << QStringLiteral("clear memo");
    }
    void AddMemoLine(const QString& line) override { Memo << line; }
    void ShowLogPage() override { Events << QStringLiteral("log page"); }
    void TableStart(const QString& name, int rows, int tableCount, int tableNumber) override {
        if (tableCount < 0) Events << TableStartCaption(name, rows, tableCount, tableNumber);
        else if (TableHook) TableHook(name);
    }
    void RowProgress(const QString& name, int rowsDone) override {
        if (RowHook) RowHook(name, rowsDone);
    }
    void CheckAbort() override {}
    void ResetDisplay() override { Events << QStringLiteral("finish"); }

    int Ask(const QString& message, TMsgDlgType, TMsgDlgButtons) override {
        Events << QStringLiteral("ask ") + message;
        return SaveAnswer;
    }
};
