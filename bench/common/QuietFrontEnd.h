#pragma once
// A front end for timed imports: ticks the titles it is told to, answers every question
// with Yes ("save"), shows nothing and counts the rows the copier refused.

#include "copier/Callbacks.h"
#include "titles/ImportRun.h"

#include <QList>
#include <QSet>

class TQuietFrontEnd : public TImportFrontEnd, public TQuestionAsker {
public:
    struct TItem {
        QString Caption, Name;
        bool Checked = false;
    };
    QList<TItem> Items;
    int FailedRows = 0;

    // Ticks the items whose caption (the title's key) is in keys, and no other.
    void TickTitles(const QSet<int>& keys);

    int ItemCount() const override { return static_cast<int>(Items.size()); }
    QString ItemCaption(int index) const override { return Items[index].Caption; }
    QString ItemSubItem(int index) const override { return Items[index].Name; }
    bool ItemChecked(int index) const override { return Items[index].Checked; }
    void SetItemChecked(int index, bool checked) override { Items[index].Checked = checked; }
    void ClearItems() override { Items.clear(); }
    void AddItem(const QString& caption, const QStringList& subItems) override;
    int MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) override;
    void ShowTitlePage() override {}
    int Ask(const QString&, TMsgDlgType, TMsgDlgButtons) override { return mrYes; }

    void ClearMemo() override {}
    void AddMemoLine(const QString& line) override;
    void ShowLogPage() override {}
    void TableStart(const QString&, int, int, int) override {}
    void RowProgress(const QString&, int) override {}
    void CheckAbort() override {}
    void ResetDisplay() override {}
};
